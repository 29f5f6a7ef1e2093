#pragma once
// The two names a USBasp programmer gets: the maker's own, recognised by its web domain as
// the device's serial number, and every other one.

#include "host/text.h"

namespace zt_usb_detector {

inline constexpr char16_t kUsbaspVendor[] = u"VID_16C0";
inline constexpr char16_t kUsbaspProduct[] = u"PID_05DC";
inline constexpr char kMakerWebDomain[] = "www.vlx.example";

inline zt::host::AnsiString UsbaspName(const zt::host::AnsiString& serial) {
    return serial == kMakerWebDomain ? "VLX-USBASP" : "USBasp clone";
}

}  // namespace zt_usb_detector
