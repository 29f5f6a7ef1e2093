#pragma once
// The registry of the simulated world, under HKEY_LOCAL_MACHINE. Only where the registry is
// emulated: on Windows the registry is the system's own and the world leaves it alone.

#include <string_view>
#include <vector>

#include "ztusb/export.h"
#include "ztusb/win32/api.h"

namespace zt::world {

constexpr std::u16string_view kSerialCommKey = u"HARDWARE\\DEVICEMAP\\SERIALCOMM";

// A text as the registry holds a REG_SZ value: UTF-16, with its terminating null.
ZT_SIM_API std::vector<win32::BYTE> RegistryText(std::u16string_view text);

// Throws std::logic_error where the registry is not emulated.
ZT_SIM_API void SetRegistryValue(std::u16string_view keyPath, std::u16string_view valueName,
                                 win32::DWORD type, const std::vector<win32::BYTE>& data);
ZT_SIM_API bool DeleteRegistryValue(std::u16string_view keyPath, std::u16string_view valueName);
ZT_SIM_API bool DeleteRegistryKey(std::u16string_view keyPath);

// Whether the world's registry writes reach the registry the package reads.
ZT_SIM_API bool RegistryIsSimulated();

}  // namespace zt::world
