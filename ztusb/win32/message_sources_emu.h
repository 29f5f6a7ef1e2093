#pragma once
// Events from outside the process for a thread's message loop, such as the udev monitor's,
// and the thread's queue as a descriptor for a host's own event loop. Not Win32 calls: on
// Windows the system itself posts such events, and a loop waits with the system's calls.

#include <cstdint>
#include <functional>
#include <vector>

#include "ztusb/export.h"

namespace zt::win32::emulated {

struct SourceDescriptor {
    int fd;
    short events;  // as poll(2) names them: POLLIN, POLLPRI
    // For a file that tells a change once, to whoever polls first (/proc/self/mounts): a
    // host's loop that polls the queue's descriptor takes the change from `fd`. A second open
    // of the file, which the loop polls itself whenever it looks at the queue, still has it.
    // -1 for none.
    int twin;
};

// Called on the thread that added the source, when that thread looks at its queue
// (PeekMessageW, GetMessageW, so ProcessMessages and the host's own loop) and one of the
// source's descriptors has reported events: `ready` holds them as poll(2)'s revents, one per
// descriptor in the order given. The waiting calls sleep on the descriptors, so the source
// must not poll them itself: a descriptor such as the mount table's reports a change once.
// Not called again while it runs (what it broadcasts may run a message loop of its own).
using MessageSource = std::function<void(const std::vector<short>& ready)>;

// Throws std::system_error when a descriptor cannot be watched (not pollable, watched by
// another source, no descriptors left). A source's descriptors stay open until it is removed.
ZT_API std::uint64_t AddMessageSource(std::vector<SourceDescriptor> descriptors, MessageSource onReady);
ZT_API void RemoveMessageSource(std::uint64_t source);

// A descriptor that becomes readable when the calling thread's message loop has work: a
// message posted to the thread or one of its windows, or a message source with events. A
// host with an event loop of its own (GLib, Qt, asio) watches it and then calls
// zt::host::ProcessMessages on this thread. It belongs to the thread's queue and closes when
// the thread ends; -1 when the system gives no descriptors. A change of the mount table
// reports itself once, to whoever polls first: a host loop that polls this descriptor takes
// it; the loop then hears of it through the source's twin descriptor.
ZT_API int MessageQueueDescriptor();

}  // namespace zt::win32::emulated
