#include "ztusb/host/application.h"

#include <utility>

#include "ztusb/host/dialogs.h"
#include "ztusb/win32/windows_names.h"

namespace zt::host {
namespace {

ExceptionHandler& ExceptionHook() {
    static ExceptionHandler hook;
    return hook;
}

String DescribeFailure(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& e) {
        return FromUtf8(e.what());
    } catch (...) {
        return u"Unknown failure";
    }
}

}  // namespace

ExceptionHandler SetExceptionHandler(ExceptionHandler handler) {
    return std::exchange(ExceptionHook(), std::move(handler));
}

void ProcessMessages() {
    win32::MSG message{};
    while (win32::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // The quit request belongs to the host's own loop: leave it there.
            win32::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        win32::TranslateMessage(&message);
        win32::DispatchMessageW(&message);
    }
}

void HandleException(TObject* Sender) {
    const std::exception_ptr failure = std::current_exception();
    if (!failure) return;
    if (ExceptionHook()) {
        ExceptionHook()(Sender, failure);
        return;
    }
    MessageDlg(DescribeFailure(failure), TMsgDlgType::mtError, mbOK, 0);
}

}  // namespace zt::host
