#pragma once
// The values of a registry key under HKEY_LOCAL_MACHINE, read whole: the system's (on
// Windows its registry, elsewhere the emulated one), or a world's where a host installed one,
// so that every inquiry asks the same world.

#include <functional>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

#include "ztusb/export.h"
#include "ztusb/win32/api.h"

namespace zt::win32 {

struct RegistryValue {
    std::u16string name;
    DWORD type;
    std::vector<BYTE> data;
};

struct RegistryRead {
    LSTATUS status = ERROR_SUCCESS;  // of opening the key, or of the value that ended the reading
    std::vector<RegistryValue> values;
    std::vector<DWORD> tooLong;  // the places of values whose data no reader takes (over 4096 bytes)
};

using RegistryBackend = std::function<RegistryRead(std::u16string_view keyPath)>;

// Installs a backend and returns the one it replaced (empty for the system's); an empty one
// restores the system's.
ZT_API RegistryBackend SetRegistryBackend(RegistryBackend backend);
ZT_API RegistryRead ReadRegistryValues(std::u16string_view keyPath);

}  // namespace zt::win32
