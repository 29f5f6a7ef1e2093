#include "ztusb/detector/usb_id.h"

#include "ztusb/host/text.h"

namespace zt_usb_detector {
namespace {

constexpr std::size_t kPrefixLength = 4;  // VID_ or PID_
constexpr std::size_t kDigits = 4;

std::optional<unsigned> HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return static_cast<unsigned>(c - u'0');
    if (c >= u'A' && c <= u'F') return static_cast<unsigned>(c - u'A' + 10);
    if (c >= u'a' && c <= u'f') return static_cast<unsigned>(c - u'a' + 10);
    return std::nullopt;
}

}  // namespace

std::optional<std::uint16_t> UsbIdNumber(std::u16string_view idText) {
    if (idText.size() != kPrefixLength + kDigits) return std::nullopt;
    const std::u16string_view prefix = idText.substr(0, kPrefixLength);
    if (!zt::host::SameText(prefix, u"VID_") && !zt::host::SameText(prefix, u"PID_")) return std::nullopt;
    unsigned number = 0;
    for (const char16_t c : idText.substr(kPrefixLength)) {
        const std::optional<unsigned> digit = HexDigit(c);
        if (!digit) return std::nullopt;
        number = number * 16 + *digit;
    }
    return static_cast<std::uint16_t>(number);
}

}  // namespace zt_usb_detector
