#include <cstring>

#include "ztusb/world/registry.h"

namespace zt::world {

std::vector<win32::BYTE> RegistryText(std::u16string_view text) {
    std::vector<win32::BYTE> bytes((text.size() + 1) * sizeof(char16_t), 0);
    std::memcpy(bytes.data(), text.data(), text.size() * sizeof(char16_t));
    return bytes;
}

}  // namespace zt::world
