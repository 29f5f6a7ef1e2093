// Decoding of WM_DEVICECHANGE broadcasts: raise the detect events at once, keep the
// arrival-name and FT232R lists, and post a request where WMI should be asked for details.
#include <algorithm>
#include <bit>

#include "ztusb/detector/failure_message.h"
#include "ztusb/win32/usb_identity.h"
#include "ztusb/detector/usbasp_names.h"
#include "ztusb/detector/component_impl.h"
#include "ztusb/host/log_line.h"
#include "ztusb/win32/broadcast_decoder.h"
#include "ztusb/win32/windows_names.h"

namespace zt_usb_detector {
namespace {

using zt::host::FromAnsi;
using zt::host::ToAnsi;

using zt::win32::DecodedRecord;

constexpr std::uint32_t kDriveBits = (1u << 26) - 1;  // A to Z

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
void LogNamed(const DecodedRecord& record, zt::win32::WPARAM event, const char* kind) {
    if (!record.complete) {
        ZT_LOG(Warning, "device") << EventWord(event) << " of a " << kind << " without a name: a record of "
                                  << record.size << " bytes";
    } else if (!record.nameEnds) {
        ZT_LOG(Warning, "device") << EventWord(event) << " of " << kind << " " << record.name
                                  << ": its name runs to the end of a record of " << record.size << " bytes";
    } else {
        ZT_LOG(Debug, "device") << EventWord(event) << " of " << kind << " " << record.name;
    }
}

void LogVolumes(const DecodedRecord& record, zt::win32::WPARAM event) {
    if (!record.complete) {
        ZT_LOG(Warning, "device") << EventWord(event) << " of volumes passed over: a record of " << record.size
                                  << " bytes, shorter than " << sizeof(zt::win32::TDEV_BROADCAST_VOLUME);
        return;
    }
    if (!zt::host::LogEnabled(zt::host::LogLevel::Debug)) return;
    String letters;
    for (std::uint32_t rest = record.unitMask & kDriveBits; rest != 0; rest &= rest - 1) {
        letters += String{static_cast<char16_t>(u'A' + std::countr_zero(rest)), u':', u' '};
    }
    ZT_LOG(Debug, "device") << EventWord(event) << " of volumes " << letters << "(unit mask "
                            << zt::host::LogHex{record.unitMask} << ")";
}

}  // namespace

// Each kind of record is told in the log as it is decoded, then acted on.
void TZtUsbDetector::Impl::DeviceChanged(zt::win32::WPARAM event, zt::win32::LPARAM address) {
    if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE) {
        ZT_LOG(Debug, "device") << "event " << zt::host::LogHex{event, 4} << " passed over";
        return;
    }
    const std::int32_t inout = event == DBT_DEVICEARRIVAL ? 1 : 0;
    const DecodedRecord record = zt::win32::DecodeRecordAt(address);
    switch (record.kind) {
        case DecodedRecord::Kind::None:
            ZT_LOG(Warning, "device") << EventWord(event) << " passed over: no record, or one shorter than its header";
            break;
        case DecodedRecord::Kind::Port:
            LogNamed(record, event, "port");
            PortChanged(record.name, inout);
            break;
        case DecodedRecord::Kind::Volume:
            LogVolumes(record, event);
            if (record.complete) VolumeChanged(record.unitMask, inout);
            break;
        case DecodedRecord::Kind::DeviceInterface:
            LogNamed(record, event, "device interface");
            if (record.complete) DeviceInterfaceChanged(record.name, inout);
            break;
        case DecodedRecord::Kind::Other:
            ZT_LOG(Debug, "device") << EventWord(event) << " of device type " << record.deviceType << " passed over";
            break;
    }
}

void TZtUsbDetector::Impl::PortChanged(const String& portName, std::int32_t inout) {
    FDetector.ComPort = ToAnsi(portName);
    RemoveFt232RPort(portName);
    if (!CallOut([&] { FDetector.DoComDetect(portName, inout); })) return;  // the handler freed the component
    if (inout == 1 && FLastArrivalAName.Count() > 0) {
        PostRequest("DoNewComInfo:" + ToAnsi(portName));
    }
}

// The last element takes the place of the removed one.
void TZtUsbDetector::Impl::RemoveFt232RPort(const String& portName) {
    std::vector<TFT232RLIST>& list = FDetector.Ft232RList;
    for (std::size_t i = 0; i < ListedFt232RCount(); ++i) {
        if (list[i].sPort == portName) {
            --FDetector.Ft232Rcount;
            list[i] = list.back();
            list.pop_back();
            return;
        }
    }
}

std::size_t TZtUsbDetector::Impl::ListedFt232RCount() const {
    return std::min(static_cast<std::size_t>(std::max(FDetector.Ft232Rcount, 0)), FDetector.Ft232RList.size());
}

// Only the lowest drive letter is reported; a mask without drive bits reports nothing. An
// arrival asks for details about the newest device, with all its letters, for the inquiry to
// find the drive that holds them; a removal has nothing left to ask about.
void TZtUsbDetector::Impl::VolumeChanged(std::uint32_t unitMask, std::int32_t inout) {
    const std::uint32_t drives = unitMask & kDriveBits;
    if (drives == 0) return;
    // One broadcast may carry several volumes (a stick with two partitions): each is reported,
    // or the host would never hear of the others coming or going.
    for (std::uint32_t rest = drives; rest != 0; rest &= rest - 1) {
        const String volume(1, static_cast<char16_t>(u'A' + std::countr_zero(rest)));
        if (!CallOut([&] { FDetector.DoVolumeDetect(volume, inout); })) return;  // the handler freed the component
    }
    const int listed = FLastArrivalAName.Count();
    if (inout == 1 && listed > 0) {
        PostRequest("DoNewVolInfo:" + ToAnsi(FLastArrivalAName[listed - 1]), drives);
    }
}

void TZtUsbDetector::Impl::DeviceInterfaceChanged(const String& interfaceName, std::int32_t inout) {
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
        FLastArrivalAName.Add(usbName);
    } else if (const int listed = FLastArrivalAName.IndexOf(usbName); listed >= 0) {
        FLastArrivalAName.Delete(listed);
    }
    FDetector.DoUSBDetect(usbName, parts.vendor, parts.product, inout);
}

}  // namespace zt_usb_detector
