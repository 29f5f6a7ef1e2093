#include <windows.h>

#include "ztusb/c/ready_signal.h"

namespace zt::c_api {

ReadySignal::ReadySignal() {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    native_ = event == nullptr ? -1 : reinterpret_cast<std::intptr_t>(event);
}

ReadySignal::~ReadySignal() {
    if (native_ != -1) CloseHandle(reinterpret_cast<HANDLE>(native_));
}

void ReadySignal::Raise() {
    if (raised_ || native_ == -1) return;
    raised_ = SetEvent(reinterpret_cast<HANDLE>(native_)) != 0;
}

void ReadySignal::Lower() {
    if (!raised_) return;
    raised_ = ResetEvent(reinterpret_cast<HANDLE>(native_)) == 0;
}

std::intptr_t ReadySignal::Native() const { return native_; }

}  // namespace zt::c_api
