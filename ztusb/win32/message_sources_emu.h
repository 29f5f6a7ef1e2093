#pragma once
// Events from outside the process for a thread's message loop, such as the udev monitor's.
// Not a Win32 call: on Windows the system itself posts them.

#include <cstdint>
#include <functional>

#include "ztusb/export.h"

namespace zt::win32::emulated {

// Polled without waiting, on the thread that added it, whenever that thread looks at its
// queue (PeekMessageW, so ProcessMessages and the host's own loop), and not again while it
// runs: what it broadcasts may run a message loop of its own.
using MessageSource = std::function<void()>;

ZT_API std::uint64_t AddMessageSource(MessageSource poll);
ZT_API void RemoveMessageSource(std::uint64_t source);

}  // namespace zt::win32::emulated
