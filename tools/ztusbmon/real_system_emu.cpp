#include "tools/ztusbmon/real_system.h"

namespace ztusbmon {

struct RealSystem {};

void RealSystemDeleter::operator()(RealSystem* system) const { delete system; }

RealSystemHandle UseRealSystem() { return nullptr; }

}  // namespace ztusbmon
