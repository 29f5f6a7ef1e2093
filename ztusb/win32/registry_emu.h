#pragma once
// What the simulated world writes into the emulated registry (HKEY_LOCAL_MACHINE). Not a
// Win32 call: on Windows the registry is the system's own.

#include <string_view>
#include <vector>

#include "ztusb/export.h"
#include "ztusb/win32/api.h"

namespace zt::win32::emulated {

ZT_API void SetRegistryValue(std::u16string_view keyPath, std::u16string_view valueName, DWORD type,
                             const std::vector<BYTE>& data);
// False when there was no such value or key.
ZT_API bool DeleteRegistryValue(std::u16string_view keyPath, std::u16string_view valueName);
ZT_API bool DeleteRegistryKey(std::u16string_view keyPath);

}  // namespace zt::win32::emulated
