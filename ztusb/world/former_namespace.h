#pragma once
// Hosts written for 1.x name the world's and the udev source's declarations zt::sim::...;
// until 2.0 they still find them there. The package's own code, built with
// ZT_NO_FORMER_NAMESPACE, uses only zt::world and zt::udev.
#ifndef ZT_NO_FORMER_NAMESPACE
namespace zt::world {}
namespace zt::udev {}
namespace zt::sim {
using namespace zt::world;
using namespace zt::udev;
}  // namespace zt::sim
#endif
