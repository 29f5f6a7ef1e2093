#include "ztusb/win32/usb_identity.h"

#include <cctype>

#include "ztusb/win32/device_tree.h"

namespace zt::win32 {
namespace {

bool IsHexDigit(char16_t c) { return c < 0x80 && std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// Letters A to Z only, as Windows folds instance IDs.
std::u16string Capitals(std::u16string_view text) {
    std::u16string capitals(text);
    for (char16_t& c : capitals) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    }
    return capitals;
}

std::u16string_view LastSegment(std::u16string_view deviceId) {
    const std::size_t cut = deviceId.rfind(u'\\');
    return cut == std::u16string_view::npos ? deviceId : deviceId.substr(cut + 1);
}

}  // namespace

bool IsMadeUpInstance(std::u16string_view instance) {
    std::size_t at = 0;
    for (int group = 0; group < 3; ++group) {
        const std::size_t start = at;
        while (at < instance.size() && IsHexDigit(instance[at])) ++at;
        if (at == start || at >= instance.size() || instance[at] != u'&') return false;
        ++at;
    }
    return true;
}

std::u16string UsbIdentity(std::u16string_view instance) {
    return Capitals(instance);
}

bool IsUsbDeviceId(std::u16string_view deviceId) {
    const std::u16string id = Capitals(deviceId);
    if (!id.starts_with(u"USB\\VID_")) return false;
    const std::size_t hardwareEnd = id.find(u'\\', 4);
    return hardwareEnd != std::u16string::npos && id.find(u'\\', hardwareEnd + 1) == std::u16string::npos &&
           std::u16string_view(id).substr(0, hardwareEnd).find(u"&MI_") == std::u16string_view::npos;
}

std::optional<std::u16string> HolderIdentity(std::u16string_view deviceId) {
    const auto tree = CurrentDeviceTree();
    for (auto node = tree->Locate(deviceId); node; node = tree->Parent(*node)) {
        const std::u16string id = tree->Id(*node);
        if (IsUsbDeviceId(id)) return UsbIdentity(LastSegment(id));
    }
    return std::nullopt;
}

}  // namespace zt::win32
