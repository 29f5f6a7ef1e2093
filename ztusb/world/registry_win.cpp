// On Windows the registry is the system's: the simulated world does not write it.
#include <stdexcept>

#include "ztusb/world/registry.h"

namespace zt::world {
namespace {

[[noreturn]] void Refuse() {
    throw std::logic_error("the simulated world does not write the system's registry");
}

}  // namespace

void SetRegistryValue(std::u16string_view, std::u16string_view, win32::DWORD,
                      const std::vector<win32::BYTE>&) {
    Refuse();
}

bool DeleteRegistryValue(std::u16string_view, std::u16string_view) { Refuse(); }

bool DeleteRegistryKey(std::u16string_view) { Refuse(); }

bool RegistryIsSimulated() { return false; }

}  // namespace zt::world
