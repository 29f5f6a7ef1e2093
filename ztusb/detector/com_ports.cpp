// The COM port inventories: the registry's serial-port map and the ports WMI knows.
#include <algorithm>
#include <array>
#include <cstring>

#include "ztusb/detector/com_port_rules.h"
#include "ztusb/detector/ft232r_serials.h"
#include "ztusb/host/application.h"
#include "ztusb/host/dialogs.h"

namespace zt_usb_detector {
namespace {

namespace win32 = zt::win32;
using namespace com_rules;
using zt::host::Contains;

// Any value name the registry allows (16,383 characters) fits; data beyond 256 bytes is no
// port name, and such a value is passed over without hiding the ones after it.
constexpr win32::DWORD kNameBufferChars = 16384;
constexpr win32::DWORD kDataBufferBytes = 256;

struct TypeRule {
    const char16_t* nameContains;  // in the lower-cased value name
    const char16_t* typeText;
};

constexpr std::array<TypeRule, 3> kTypeRules = {{
    {u"serial", u"Serial com port"},
    {u"vcp", u"Virtual com port"},
    {u"\\bth", u"Bluetooth com port"},
}};

// "\Device\Serial0" -> "Serial com port"; a name no rule knows stands for itself.
String TypeText(const String& valueName) {
    const String lower = zt::host::LowerCase(valueName);
    for (const TypeRule& rule : kTypeRules) {
        if (Contains(lower, rule.nameContains)) return rule.typeText;
    }
    return valueName;
}

// The port name padded to seven characters, at least one blank before the type text.
String WithTypeText(const String& portName, const String& valueName) {
    const std::size_t blanks = portName.size() < 7 ? 7 - portName.size() : 1;
    return portName + String(blanks, u' ') + zt::host::Trim(TypeText(valueName));
}

// Registry data as UTF-16 text up to its first NUL or its end.
String RegistryText(const win32::BYTE* data, win32::DWORD size) {
    String text(size / sizeof(char16_t), u'\0');
    std::memcpy(text.data(), data, text.size() * sizeof(char16_t));
    return text.substr(0, text.find(u'\0'));
}

// FTDI's "+" IDs and USB adapters give their IDs and serial; other buses only an instance.
void ApplyInventoryDeviceId(TZtComInfo& record, const String& deviceId) {
    if (IsBluetooth(deviceId)) {
        ApplyBluetoothDeviceId(record, deviceId);
        return;
    }
    const std::u16string_view segment = MiddleSegment(deviceId);
    if (Contains(segment, u"+")) {
        ApplyPlusSegment(record, segment);
    } else if (!ApplyUsbDeviceId(record, deviceId)) {
        ApplyPlainSegment(record, segment);
    }
}

}  // namespace

void TZtUsbDetector::GetAvailableComPorts(TStringList& Ports, bool WithNames) {
    win32::HKEY key = nullptr;
    try {
        TStringList found;
        win32::RegOpenKeyExW(HKEY_LOCAL_MACHINE, ZT_WTEXT("HARDWARE\\DEVICEMAP\\SERIALCOMM"), 0,
                             KEY_READ, &key);
        std::vector<win32::WCHAR> name(kNameBufferChars);
        for (win32::DWORD index = 0;; ++index) {
            win32::BYTE data[kDataBufferBytes];
            win32::DWORD nameLength = kNameBufferChars;
            win32::DWORD dataSize = kDataBufferBytes;
            win32::DWORD type = 0;
            const auto status = win32::RegEnumValueW(key, index, name.data(), &nameLength, nullptr,
                                                     &type, data, &dataSize);
            if (status == ERROR_MORE_DATA) continue;
            if (status != ERROR_SUCCESS) break;
            const String portName = RegistryText(data, std::min(dataSize, kDataBufferBytes));
            const std::int32_t number = PortNumber(portName);
            if (number <= 0) continue;
            const String valueName(name.data(), name.data() + nameLength);
            found.AddObject(WithNames ? WithTypeText(portName, valueName) : portName, number);
        }
        found.Sort();
        Ports.Assign(found);
    } catch (...) {
        zt::host::ShowMessage(u"#err43 - GetAvailableComPorts Exception");
    }
    if (key != nullptr) win32::RegCloseKey(key);
}

std::int32_t TZtUsbDetector::GetAvailableComPortsEx() {
    TStringList lines;
    if (!AskWmi(u"SELECT Caption,DeviceID,Manufacturer FROM Win32_PnPEntity WHERE Caption Like \"%(COM%\" ",
                lines)) {
        return 0;  // freed while WMI pumped
    }
    if (lines.Count() == 0) return 0;
    std::int32_t count = 0;
    try {
        Ft232RSerials listed = ListedFt232RSerials();
        EntityReader reader(lines);
        for (PnpEntity entity; reader.Next(entity);) {
            if (!entity.caption) continue;
            if (count == 0) ZtComInfo.clear();  // the earlier scan's records stay until one is found
            ZtComInfo.emplace_back();
            ++count;
            TZtComInfo& record = ZtComInfo.back();
            ApplyCaption(record, *entity.caption);
            if (entity.deviceId) ApplyInventoryDeviceId(record, *entity.deviceId);
            if (entity.manufacturer) ApplyManufacturer(record, *entity.manufacturer, listed);
        }
    } catch (...) {
        zt::host::ShowMessage(u"#error in: GetAvailableComPortsEx()");
        return 0;
    }
    zt::host::ProcessMessages();
    return count;
}

Ft232RSerials TZtUsbDetector::ListedFt232RSerials() const {
    return Ft232RSerials(Ft232RList, ListedFt232RCount());
}

void TZtUsbDetector::ApplyManufacturer(TZtComInfo& record, const String& manufacturer,
                                       Ft232RSerials& listed) {
    if (IsFt232R(record)) {
        record.Chip = u"FT232R";
        RecordFt232R(record, listed);
    }
    record.Manufacturer = manufacturer;
}

// One entry per serial number; the copy is taken before the manufacturer is set.
void TZtUsbDetector::RecordFt232R(const TZtComInfo& record, Ft232RSerials& listed) {
    if (listed.Contains(record.Serial)) return;
    ++Ft232Rcount;
    Ft232RList.resize(static_cast<std::size_t>(Ft232Rcount));
    Ft232RList.back() = record;
    listed.Add(Ft232RList.size() - 1);
}

}  // namespace zt_usb_detector
