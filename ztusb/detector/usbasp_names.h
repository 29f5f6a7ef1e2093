#pragma once
// The two names a USBasp programmer gets: the maker's own, recognised by its web domain as
// the device's serial number, and every other one.

#include "ztusb/host/text.h"

namespace zt_usb_detector {

inline constexpr char16_t kUsbaspVendor[] = u"VID_16C0";
inline constexpr char16_t kUsbaspProduct[] = u"PID_05DC";
inline constexpr char kMakerWebDomain[] = "www.vlx.example";
inline constexpr char kMakerUsbaspName[] = "VLX-USBASP";
inline constexpr char kCloneUsbaspName[] = "USBasp clone";

// An arriving programmer: the serial must be the domain exactly, in small letters.
inline zt::host::AnsiString UsbaspName(const zt::host::AnsiString& serial) {
    return serial == kMakerWebDomain ? kMakerUsbaspName : kCloneUsbaspName;
}

}  // namespace zt_usb_detector
