#pragma once

#include <memory>

namespace ztusbmon {

// What the system's own registry and WMI need while the commands read them.
struct RealSystem;
struct RealSystemDeleter {
    void operator()(RealSystem* system) const;
};
using RealSystemHandle = std::unique_ptr<RealSystem, RealSystemDeleter>;

// Prepares the system's own registry and WMI for reading (on Windows, COM on this thread; on
// Linux this machine's devices through udev) for as long as the handle lives; null where
// there is no such system and the simulated world stands in.
RealSystemHandle UseRealSystem();

}  // namespace ztusbmon
