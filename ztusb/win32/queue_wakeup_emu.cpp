#include "ztusb/win32/queue_wakeup_emu.h"

#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace zt::win32::emulated {

static_assert(EPOLLIN == POLLIN && EPOLLPRI == POLLPRI && EPOLLERR == POLLERR && EPOLLHUP == POLLHUP,
              "message sources name their events as poll(2) does");

std::unique_ptr<QueueWakeup> QueueWakeup::Make() {
    const int epoll = epoll_create1(EPOLL_CLOEXEC);
    const int signal = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    epoll_event watched{};
    watched.events = EPOLLIN;
    watched.data.fd = signal;
    if (epoll < 0 || signal < 0 || epoll_ctl(epoll, EPOLL_CTL_ADD, signal, &watched) != 0) {
        if (epoll >= 0) close(epoll);
        if (signal >= 0) close(signal);
        return nullptr;
    }
    return std::unique_ptr<QueueWakeup>(new QueueWakeup(epoll, signal));
}

QueueWakeup::~QueueWakeup() {
    close(epoll_);
    close(signal_);
}

bool QueueWakeup::Watch(int fd, unsigned events) {
    epoll_event watched{};
    watched.events = events;
    watched.data.fd = fd;
    return epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &watched) == 0;
}

// A descriptor closed before it is forgotten has already left the set.
void QueueWakeup::Forget(int fd) { epoll_ctl(epoll_, EPOLL_CTL_DEL, fd, nullptr); }

void QueueWakeup::Signal() {
    const std::uint64_t one = 1;
    // Only a counter at its limit refuses, and that one is readable already.
    if (write(signal_, &one, sizeof one) < 0) return;
}

void QueueWakeup::TakeSignal() {
    std::uint64_t count = 0;
    if (read(signal_, &count, sizeof count) < 0) return;  // nothing was posted
}

std::vector<ReadyDescriptor> QueueWakeup::Wait(int timeoutMs) {
    epoll_event events[16];
    const int count = epoll_wait(epoll_, events, 16, timeoutMs);
    std::vector<ReadyDescriptor> ready;
    for (int i = 0; i < count; ++i) {
        if (events[i].data.fd == signal_) {
            TakeSignal();
        } else {
            ready.push_back({events[i].data.fd, events[i].events});
        }
    }
    return ready;
}

void QueueWakeup::WaitForSignal() {
    pollfd signal{signal_, POLLIN, 0};
    if (poll(&signal, 1, -1) > 0) TakeSignal();
}

}  // namespace zt::win32::emulated
