#pragma once
// Ctrl+C for the monitor's message loop: while a QuitOnInterrupt lives, an interrupt posts
// WM_QUIT to the thread that made it, so that its GetMessageW loop ends at once.

namespace ztusbmon {

class QuitOnInterrupt {
public:
    QuitOnInterrupt();
    ~QuitOnInterrupt();
    QuitOnInterrupt(const QuitOnInterrupt&) = delete;
    QuitOnInterrupt& operator=(const QuitOnInterrupt&) = delete;
};

}  // namespace ztusbmon
