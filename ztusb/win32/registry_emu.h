#pragma once
// What the simulated world writes into the emulated registry (HKEY_LOCAL_MACHINE). Not a
// Win32 call: on Windows the registry is the system's own.

#include <string_view>
#include <vector>

#include "ztusb/win32/api.h"

namespace zt::win32::emulated {

void SetRegistryValue(std::u16string_view keyPath, std::u16string_view valueName, DWORD type,
                      const std::vector<BYTE>& data);
// False when there was no such value or key.
bool DeleteRegistryValue(std::u16string_view keyPath, std::u16string_view valueName);
bool DeleteRegistryKey(std::u16string_view keyPath);

}  // namespace zt::win32::emulated
