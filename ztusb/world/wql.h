#pragma once
// The WQL the package sends: SELECT with a property list or *, WHERE with LIKE, =, AND, OR
// and parentheses; ASSOCIATORS OF {Class.Key="value"} WHERE AssocClass = Name.

#include <optional>
#include <string_view>
#include <vector>

#include "ztusb/world/cim_repository.h"

namespace zt::world {

// The result's object texts, or nothing for a statement WMI would fail: malformed, or
// naming a class or property that does not exist.
std::optional<std::vector<String>> RunWql(const CimRepository& repository, std::u16string_view wql);

}  // namespace zt::world
