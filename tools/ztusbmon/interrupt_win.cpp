// Ctrl+C, Ctrl+Break and closing the console: the console's control handler, which Windows
// runs on a thread of its own, posts the quit request to the loop's thread.
#include <atomic>

#include "tools/ztusbmon/interrupt.h"
#include "ztusb/win32/api.h"
#include "ztusb/win32/windows_names.h"

namespace ztusbmon {
namespace {

std::atomic<DWORD> loopThread{0};

BOOL WINAPI OnConsoleControl(DWORD) {
    PostThreadMessageW(loopThread, WM_QUIT, 0, 0);
    return TRUE;
}

}  // namespace

QuitOnInterrupt::QuitOnInterrupt() {
    loopThread = GetCurrentThreadId();
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

QuitOnInterrupt::~QuitOnInterrupt() { SetConsoleCtrlHandler(OnConsoleControl, FALSE); }

}  // namespace ztusbmon
