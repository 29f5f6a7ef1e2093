#include "ztusb/world/registry.h"

#include "ztusb/win32/registry_emu.h"

namespace zt::world {

void SetRegistryValue(std::u16string_view keyPath, std::u16string_view valueName,
                      win32::DWORD type, const std::vector<win32::BYTE>& data) {
    win32::emulated::SetRegistryValue(keyPath, valueName, type, data);
}

bool DeleteRegistryValue(std::u16string_view keyPath, std::u16string_view valueName) {
    return win32::emulated::DeleteRegistryValue(keyPath, valueName);
}

bool DeleteRegistryKey(std::u16string_view keyPath) {
    return win32::emulated::DeleteRegistryKey(keyPath);
}

bool RegistryIsSimulated() { return true; }

}  // namespace zt::world
