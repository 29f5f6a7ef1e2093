#pragma once
// What an event loop watches to learn that a context has an event waiting: an eventfd on
// Linux, a manual-reset event on Windows. Raised and lowered under the queue's lock.

#include <cstdint>

namespace zt::c_api {

class ReadySignal {
public:
    ReadySignal();
    ~ReadySignal();
    ReadySignal(const ReadySignal&) = delete;
    ReadySignal& operator=(const ReadySignal&) = delete;

    void Raise();
    void Lower();
    // The descriptor or HANDLE; -1 where none could be made.
    std::intptr_t Native() const;

private:
    std::intptr_t native_;
    bool raised_ = false;
};

}  // namespace zt::c_api
