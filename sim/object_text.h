#pragma once
// Object text exactly as Windows' ISWbemObject.GetObjectText_ writes it.

#include <vector>

#include "sim/cim_repository.h"

namespace zt::sim {

// The selected properties (one flag per property of the class) plus the class's keys;
// null values are left out.
String RenderObjectText(const CimObject& object, const std::vector<bool>& selected);

}  // namespace zt::sim
