#pragma once
// What a thread's message queue sleeps on: an eventfd that posting signals, and the
// descriptors of the thread's message sources, gathered in one epoll set whose own
// descriptor a host's event loop can watch.

#include <memory>
#include <vector>

namespace zt::win32::emulated {

struct ReadyDescriptor {
    int fd;
    unsigned events;  // as poll(2) names them: POLLIN, POLLPRI, POLLERR ...
};

class QueueWakeup {
public:
    // Null when the system gives no descriptors (too many open).
    static std::unique_ptr<QueueWakeup> Make();
    ~QueueWakeup();
    QueueWakeup(const QueueWakeup&) = delete;
    QueueWakeup& operator=(const QueueWakeup&) = delete;

    // Readable while a post or a watched descriptor waits.
    int Descriptor() const { return epoll_; }

    // False when the descriptor cannot be watched (already watched, not pollable).
    bool Watch(int fd, unsigned events);
    void Forget(int fd);

    // From any thread: wakes the waiter.
    void Signal();
    // Waits up to timeoutMs (-1: without limit) for a post or a watched descriptor, takes the
    // posts' signal, and returns the watched descriptors that reported events.
    std::vector<ReadyDescriptor> Wait(int timeoutMs);
    // Waits for a post alone, leaving the watched descriptors for the loop outside.
    void WaitForSignal();

private:
    QueueWakeup(int epoll, int signal) : epoll_(epoll), signal_(signal) {}
    void TakeSignal();

    int epoll_;
    int signal_;
};

}  // namespace zt::win32::emulated
