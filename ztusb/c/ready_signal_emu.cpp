#include <sys/eventfd.h>
#include <unistd.h>

#include "ztusb/c/ready_signal.h"

namespace zt::c_api {

ReadySignal::ReadySignal() : native_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

ReadySignal::~ReadySignal() {
    if (native_ >= 0) close(static_cast<int>(native_));
}

void ReadySignal::Raise() {
    if (raised_ || native_ < 0) return;
    const std::uint64_t one = 1;
    raised_ = write(static_cast<int>(native_), &one, sizeof one) == sizeof one;
}

void ReadySignal::Lower() {
    if (!raised_) return;
    std::uint64_t count = 0;
    raised_ = read(static_cast<int>(native_), &count, sizeof count) != sizeof count;
}

std::intptr_t ReadySignal::Native() const { return native_; }

}  // namespace zt::c_api
