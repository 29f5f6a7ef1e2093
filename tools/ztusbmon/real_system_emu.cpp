#include "tools/ztusbmon/real_system.h"

namespace ztusbmon {

bool UseRealSystem() { return false; }

}  // namespace ztusbmon
