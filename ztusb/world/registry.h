#pragma once
// The registry of the simulated world, under HKEY_LOCAL_MACHINE. Only where the registry is
// emulated: on Windows the registry is the system's own and the world leaves it alone.

#include <string_view>
#include <vector>

#include "ztusb/win32/api.h"

namespace zt::sim {

constexpr std::u16string_view kSerialCommKey = u"HARDWARE\\DEVICEMAP\\SERIALCOMM";

// A text as the registry holds a REG_SZ value: UTF-16, with its terminating null.
std::vector<win32::BYTE> RegistryText(std::u16string_view text);

// Throws std::logic_error where the registry is not emulated.
void SetRegistryValue(std::u16string_view keyPath, std::u16string_view valueName,
                      win32::DWORD type, const std::vector<win32::BYTE>& data);
bool DeleteRegistryValue(std::u16string_view keyPath, std::u16string_view valueName);
bool DeleteRegistryKey(std::u16string_view keyPath);

// Whether the world's registry writes reach the registry the package reads.
bool RegistryIsSimulated();

}  // namespace zt::sim
