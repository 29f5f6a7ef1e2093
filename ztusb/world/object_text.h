#pragma once
// Object text exactly as Windows' ISWbemObject.GetObjectText_ writes it.

#include <vector>

#include "ztusb/export.h"
#include "ztusb/world/cim_repository.h"

namespace zt::world {

// The selected properties (one flag per property of the class) plus the class's keys, and
// with everything selected the properties the schema does not know; null values are left out.
ZT_SIM_API String RenderObjectText(const CimObject& object, const std::vector<bool>& selected);

// A string value as object text writes it: quoted, with \ and " escaped.
ZT_SIM_API String WrittenString(std::u16string_view value);

}  // namespace zt::world
