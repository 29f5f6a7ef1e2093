// Emulated window timers: each a timerfd watched by the thread's message loop, which posts
// WM_TIMER to the window when its period passes.
#include <poll.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <map>
#include <utility>

#include "ztusb/win32/api.h"
#include "ztusb/win32/message_sources_emu.h"
#include "ztusb/win32/windows_names.h"

namespace zt::win32 {
namespace {

struct Timer {
    int fd;
    std::uint64_t source;
};

// A thread's timers are its own, as its windows are.
std::map<std::pair<HWND, UINT_PTR>, Timer>& Timers() {
    thread_local std::map<std::pair<HWND, UINT_PTR>, Timer> timers;
    return timers;
}

bool IsOwnWindow(HWND window) {
    bool own = false;
    struct Search {
        HWND window;
        bool* found;
    } search{window, &own};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND candidate, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            if (candidate == s->window) *s->found = true;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return own;
}

}  // namespace

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapseMs, void* procedure) {
    if (procedure != nullptr || !IsOwnWindow(window)) return 0;
    KillTimer(window, id);
    const int fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd < 0) return 0;
    const timespec period{static_cast<time_t>(elapseMs / 1000), static_cast<long>(elapseMs % 1000) * 1000000L};
    const itimerspec every{period, period};
    if (timerfd_settime(fd, 0, &every, nullptr) != 0) {
        close(fd);
        return 0;
    }
    const std::uint64_t source = emulated::AddMessageSource({{.fd = fd, .events = POLLIN, .twin = -1}},
                                                            [fd, window, id](const std::vector<short>&) {
                                                                std::uint64_t passed = 0;
                                                                [[maybe_unused]] const auto read = ::read(fd, &passed, sizeof passed);
                                                                PostMessageW(window, WM_TIMER, id, 0);
                                                            });
    Timers()[{window, id}] = {fd, source};
    return id;
}

BOOL KillTimer(HWND window, UINT_PTR id) {
    const auto timer = Timers().find({window, id});
    if (timer == Timers().end()) return FALSE;
    emulated::RemoveMessageSource(timer->second.source);
    close(timer->second.fd);
    Timers().erase(timer);
    return TRUE;
}

}  // namespace zt::win32
