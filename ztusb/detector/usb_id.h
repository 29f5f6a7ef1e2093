#pragma once
// The numbers behind the VID and PID texts of the records and events.

#include <cstdint>
#include <optional>
#include <string_view>

#include "ztusb/export.h"

namespace zt_usb_detector {

// "VID_0403" -> 0x0403, "PID_6001" -> 0x6001 (either letter case); nothing for any other
// text, an empty one included: the prefix, an underscore and exactly four hex digits.
ZT_API std::optional<std::uint16_t> UsbIdNumber(std::u16string_view idText);

}  // namespace zt_usb_detector
