// Decoding of WM_DEVICECHANGE broadcasts: raise the detect events at once, keep the
// arrival-name and FT232R lists, and post a request where WMI should be asked for details.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>

#include "ztusb/detector/failure_message.h"
#include "ztusb/win32/usb_identity.h"
#include "ztusb/detector/usbasp_names.h"
#include "ztusb/detector/zt_usb_detector.h"
#include "ztusb/host/log_line.h"

namespace zt_usb_detector {
namespace {

using zt::host::FromAnsi;
using zt::host::ToAnsi;

constexpr std::uint32_t kHeaderSize = sizeof(DEV_BROADCAST_HDR);
constexpr std::uint32_t kPortNameOffset = offsetof(TDEV_BROADCAST_PORT, dbcp_name);
constexpr std::uint32_t kUnitMaskOffset = offsetof(TDEV_BROADCAST_VOLUME, dbcv_unitmask);
constexpr std::uint32_t kVolumeFixedPart = sizeof(TDEV_BROADCAST_VOLUME);
constexpr std::uint32_t kInterfaceNameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE, dbcc_name);
constexpr std::uint32_t kDriveBits = (1u << 26) - 1;  // A to Z

// A broadcast record, read only within the size its header declares.
class BroadcastRecord {
public:
    static std::optional<BroadcastRecord> At(zt::win32::LPARAM address) {
        if (address == 0) return std::nullopt;
        BroadcastRecord record(reinterpret_cast<const std::uint8_t*>(address));
        if (record.Size() < kHeaderSize) return std::nullopt;
        return record;
    }

    std::uint32_t Size() const { return Field(offsetof(DEV_BROADCAST_HDR, dbch_size)); }
    std::uint32_t DeviceType() const { return Field(offsetof(DEV_BROADCAST_HDR, dbch_devicetype)); }
    std::uint32_t Field(std::size_t offset) const {
        std::uint32_t value = 0;
        std::memcpy(&value, bytes_ + offset, sizeof value);
        return value;
    }

    // Whether the text at the offset ends with its NUL before the record's end and maxUnits.
    bool TextEnds(std::size_t offset, std::size_t maxUnits) const {
        const std::size_t available = Size() > offset ? (Size() - offset) / sizeof(char16_t) : 0;
        return Text(offset, maxUnits).size() < std::min(available, maxUnits);
    }

    // UTF-16 text from the offset up to its NUL, the record's end or maxUnits units.
    String Text(std::size_t offset, std::size_t maxUnits) const {
        const std::size_t available = Size() > offset ? (Size() - offset) / sizeof(char16_t) : 0;
        const std::size_t limit = std::min(available, maxUnits);
        String text;
        for (std::size_t i = 0; i < limit; ++i) {
            char16_t unit = 0;
            std::memcpy(&unit, bytes_ + offset + i * sizeof unit, sizeof unit);
            if (unit == u'\0') break;
            text += unit;
        }
        return text;
    }

private:
    explicit BroadcastRecord(const std::uint8_t* bytes) : bytes_(bytes) {}
    const std::uint8_t* bytes_;
};

// The pieces of a device-interface name: prefix#VID_xxxx&PID_yyyy[&...]#instance#{class}.
struct InterfaceName {
    AnsiString device;  // the instance part; stays 8-bit until handed on
    String vendor;
    String product;
};

InterfaceName SplitInterfaceName(const String& name) {
    InterfaceName parts;
    TStringList pieces;
    try {
        TZtUsbDetector::SplitStr(name, u"#", pieces);
        String hardware = name;
        if (pieces.Count() < 2) {
            ShowFailureMessage(u"Debug error #1", "an interface name without '#'", name);
        } else {
            hardware = pieces[1];
        }
        if (pieces.Count() > 2) parts.device = ToAnsi(pieces[2]);
        TZtUsbDetector::SplitStr(hardware, u"&", pieces);
        parts.vendor = pieces[0];
        if (pieces.Count() > 1) parts.product = pieces[1];
    } catch (...) {
        ShowFailureMessage(u"Debug ERR #188");
    }
    return parts;
}

const char* EventWord(zt::win32::WPARAM event) {
    return event == DBT_DEVICEARRIVAL ? "arrival" : "removal";
}

// The record's name and, when it does not end with its NUL inside the record, the size.
void LogNamed(const BroadcastRecord& record, zt::win32::WPARAM event, const char* kind, std::size_t offset,
              std::size_t maxUnits) {
    if (record.Size() < offset) {
        ZT_LOG(Warning, "device") << EventWord(event) << " of a " << kind << " without a name: a record of "
                                  << record.Size() << " bytes";
    } else if (!record.TextEnds(offset, maxUnits)) {
        ZT_LOG(Warning, "device") << EventWord(event) << " of " << kind << " " << record.Text(offset, maxUnits)
                                  << ": its name runs to the end of a record of " << record.Size() << " bytes";
    } else {
        ZT_LOG(Debug, "device") << EventWord(event) << " of " << kind << " " << record.Text(offset, maxUnits);
    }
}

void LogVolumes(const BroadcastRecord& record, zt::win32::WPARAM event) {
    if (record.Size() < kVolumeFixedPart) {
        ZT_LOG(Warning, "device") << EventWord(event) << " of volumes passed over: a record of " << record.Size()
                                  << " bytes, shorter than " << kVolumeFixedPart;
        return;
    }
    const std::uint32_t mask = record.Field(kUnitMaskOffset);
    String letters;
    for (std::uint32_t rest = mask & kDriveBits; rest != 0; rest &= rest - 1) {
        letters += String{static_cast<char16_t>(u'A' + std::countr_zero(rest)), u':', u' '};
    }
    ZT_LOG(Debug, "device") << EventWord(event) << " of volumes " << letters << "(unit mask "
                            << zt::host::LogHex{mask} << ")";
}

// What a broadcast says, as the decoding reads it.
void LogBroadcast(zt::win32::WPARAM event, zt::win32::LPARAM address) {
    if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE) {
        ZT_LOG(Debug, "device") << "event " << zt::host::LogHex{event, 4} << " passed over";
        return;
    }
    const auto record = BroadcastRecord::At(address);
    if (!record) {
        ZT_LOG(Warning, "device") << EventWord(event) << " passed over: no record, or one shorter than its header";
        return;
    }
    switch (record->DeviceType()) {
        case DBT_DEVTYP_PORT:
            return LogNamed(*record, event, "port", kPortNameOffset, zt::win32::kPortNameUnits);
        case DBT_DEVTYP_VOLUME:
            return LogVolumes(*record, event);
        case DBT_DEVTYP_DEVICEINTERFACE:
            return LogNamed(*record, event, "device interface", kInterfaceNameOffset, String::npos);
        default:
            ZT_LOG(Debug, "device") << EventWord(event) << " of device type " << record->DeviceType() << " passed over";
    }
}

}  // namespace

void TZtUsbDetector::WMDeviceChange(TMessage& Message) {
    if (zt::host::LogEnabled(zt::host::LogLevel::Warning)) {  // a watch costs more than the check
        const auto logged = Alive();
        LogBroadcast(Message.WParam, Message.LParam);
        if (!logged) return;  // the log's handler freed the component
    }
    if (Message.WParam != DBT_DEVICEARRIVAL && Message.WParam != DBT_DEVICEREMOVECOMPLETE) return;
    const std::int32_t inout = Message.WParam == DBT_DEVICEARRIVAL ? 1 : 0;
    const auto record = BroadcastRecord::At(Message.LParam);
    if (!record) return;
    switch (record->DeviceType()) {
        case DBT_DEVTYP_PORT:
            PortChanged(record->Text(kPortNameOffset, zt::win32::kPortNameUnits), inout);
            break;
        case DBT_DEVTYP_VOLUME:
            if (record->Size() >= kVolumeFixedPart) {
                VolumeChanged(record->Field(kUnitMaskOffset), inout);
            }
            break;
        case DBT_DEVTYP_DEVICEINTERFACE:
            if (record->Size() >= kInterfaceNameOffset) {
                DeviceInterfaceChanged(record->Text(kInterfaceNameOffset, String::npos), inout);
            }
            break;
        default:
            break;
    }
}

void TZtUsbDetector::PortChanged(const String& portName, std::int32_t inout) {
    ComPort = ToAnsi(portName);
    RemoveFt232RPort(portName);
    if (!CallOut([&] { DoComDetect(portName, inout); })) return;  // the handler freed the component
    if (inout == 1 && FLastArrivalAName->Count() > 0) {
        PostRequest("DoNewComInfo:" + ToAnsi(portName));
    }
}

// The last element takes the place of the removed one.
void TZtUsbDetector::RemoveFt232RPort(const String& portName) {
    for (std::size_t i = 0; i < ListedFt232RCount(); ++i) {
        if (Ft232RList[i].sPort == portName) {
            --Ft232Rcount;
            Ft232RList[i] = Ft232RList.back();
            Ft232RList.pop_back();
            return;
        }
    }
}

// Only the lowest drive letter is reported; a mask without drive bits reports nothing. An
// arrival asks for details about the newest device, with all its letters, for the inquiry to
// find the drive that holds them; a removal has nothing left to ask about.
void TZtUsbDetector::VolumeChanged(std::uint32_t unitMask, std::int32_t inout) {
    const std::uint32_t drives = unitMask & kDriveBits;
    if (drives == 0) return;
    // One broadcast may carry several volumes (a stick with two partitions): each is reported,
    // or the host would never hear of the others coming or going.
    for (std::uint32_t rest = drives; rest != 0; rest &= rest - 1) {
        const String volume(1, static_cast<char16_t>(u'A' + std::countr_zero(rest)));
        if (!CallOut([&] { DoVolumeDetect(volume, inout); })) return;  // the handler freed the component
    }
    const int listed = FLastArrivalAName->Count();
    if (inout == 1 && listed > 0) {
        PostRequest("DoNewVolInfo:" + ToAnsi((*FLastArrivalAName)[listed - 1]), drives);
    }
}

void TZtUsbDetector::DeviceInterfaceChanged(const String& interfaceName, std::int32_t inout) {
    // The name is treated as 8-bit text in the system code page, as the hosts expect.
    InterfaceName parts;
    if (!CallOut([&] { parts = SplitInterfaceName(FromAnsi(ToAnsi(interfaceName))); })) {
        return;  // freed in the loop of a message box
    }
    // A programmer goes by its fixed name; any other device by the one its records give it.
    const bool usbasp = parts.vendor == kUsbaspVendor && parts.product == kUsbaspProduct;
    const String usbName = usbasp ? FromAnsi(UsbaspName(parts.device)) : zt::win32::UsbIdentity(FromAnsi(parts.device));
    // The list changes before the event, so a handler already sees the new state.
    if (inout == 1) {
        FLastArrivalAName->Add(usbName);
    } else if (const int listed = FLastArrivalAName->IndexOf(usbName); listed >= 0) {
        FLastArrivalAName->Delete(listed);
    }
    DoUSBDetect(usbName, parts.vendor, parts.product, inout);
}

}  // namespace zt_usb_detector
