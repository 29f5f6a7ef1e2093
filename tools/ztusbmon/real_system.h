#pragma once

namespace ztusbmon {

// Prepares the system's own registry and WMI for reading (on Windows, COM on this thread);
// false where there is no such system and the simulated world stands in.
bool UseRealSystem();

}  // namespace ztusbmon
