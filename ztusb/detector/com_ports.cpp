// The COM port inventories: the registry's serial-port map and the ports WMI knows.
#include <array>

#include "ztusb/detector/failure_message.h"
#include "ztusb/detector/com_port_rules.h"
#include "ztusb/detector/ft232r_serials.h"
#include "ztusb/detector/component_impl.h"
#include "ztusb/detector/serial_port_map.h"
#include "ztusb/win32/usb_identity.h"
#include "ztusb/detector/wmi_text.h"
#include "ztusb/host/application.h"
#include "ztusb/host/dialogs.h"
#include "ztusb/host/log_line.h"
#include "ztusb/wmi/ZtWmiU.h"

namespace zt_usb_detector {
namespace {

using namespace com_rules;
using zt::host::Contains;

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
        return;
    }
    // A port on an interface of a composite device, or an FTDI channel, goes by the name of
    // its USB device, as its arrival does.
    record.Serial = zt::win32::HolderIdentity(wmi_text::Unescaped(deviceId)).value_or(zt::win32::UsbIdentity(record.Serial));
}

}  // namespace

void TZtUsbDetector::Impl::GetAvailableComPorts(TStringList& Ports, bool WithNames) {
    try {
        TStringList found;
        for (const SerialPortMapValue& value : ReadSerialPortMap()) {
            const std::int32_t number = PortNumber(value.portName);
            if (number <= 0) {
                ZT_LOG(Info, "registry") << "serial-port value " << value.valueName << " skipped: "
                                         << value.portName << " is no COM port";
                continue;
            }
            found.AddObject(WithNames ? WithTypeText(value.portName, value.valueName) : value.portName,
                            number);
        }
        found.Sort();
        Ports.Assign(found);
    } catch (...) {
        ShowFailureMessage(u"#err43 - GetAvailableComPorts Exception");
    }
}

std::int32_t TZtUsbDetector::Impl::GetAvailableComPortsEx() {
    std::optional<std::int32_t> count;
    if (!Inquire([&] { count = ScanComPorts(); }) || !count) return 0;  // freed while WMI pumped
    static_cast<void>(CallOut(zt::host::ProcessMessages));  // nothing of the component follows
    return *count;
}

// The count, or nothing when WMI's answer was empty or the scan failed; then no messages are
// pumped.
std::optional<std::int32_t> TZtUsbDetector::Impl::ScanComPorts() {
    TStringList lines;
    if (!AskWmi(u"SELECT Caption,DeviceID,Manufacturer FROM Win32_PnPEntity WHERE Caption Like \"%(COM%\" ",
                lines)) {
        return std::nullopt;  // freed while WMI pumped
    }
    if (lines.Count() == 0) return std::nullopt;
    std::int32_t count = 0;
    int skipped = 0;
    try {
        Ft232RSerials listed = ListedFt232RSerials();
        EntityReader reader(lines);
        for (PnpEntity entity; reader.Next(entity);) {
            if (!entity.caption) {
                ++skipped;
                continue;
            }
            if (count == 0) FDetector.ZtComInfo.clear();  // the earlier scan's records stay until one is found
            FDetector.ZtComInfo.emplace_back();
            ++count;
            TZtComInfo& record = FDetector.ZtComInfo.back();
            ApplyCaption(record, *entity.caption);
            if (entity.deviceId) ApplyInventoryDeviceId(record, *entity.deviceId);
            if (entity.manufacturer) ApplyManufacturer(record, *entity.manufacturer, listed);
        }
    } catch (...) {
        ShowFailureMessage(u"#error in: GetAvailableComPortsEx()");
        return std::nullopt;
    }
    ZT_LOG(Debug, "scan") << "COM ports: " << count << " found, " << skipped << " entities without a caption skipped";
    return count;
}

Ft232RSerials TZtUsbDetector::Impl::ListedFt232RSerials() const {
    return Ft232RSerials(FDetector.Ft232RList, ListedFt232RCount());
}

void TZtUsbDetector::Impl::ApplyManufacturer(TZtComInfo& record, const String& manufacturer,
                                       Ft232RSerials& listed) {
    if (IsFt232R(record)) {
        record.Chip = u"FT232R";
        RecordFt232R(record, listed);
    }
    record.Manufacturer = manufacturer;
}

// One entry per serial number; the copy is taken before the manufacturer is set.
void TZtUsbDetector::Impl::RecordFt232R(const TZtComInfo& record, Ft232RSerials& listed) {
    if (listed.Contains(record.Serial)) return;
    std::vector<TFT232RLIST>& list = FDetector.Ft232RList;
    ++FDetector.Ft232Rcount;
    list.resize(static_cast<std::size_t>(FDetector.Ft232Rcount));
    list.back() = record;
    listed.Add(list.size() - 1);
}

}  // namespace zt_usb_detector
