#include "ztusb/host/window_binding.h"

#include <mutex>

#include "ztusb/host/application.h"
#include "ztusb/host/liveness.h"
#include "ztusb/win32/windows_names.h"

namespace zt::host {
namespace {

constexpr const win32::WCHAR* kClassName = ZT_WTEXT("TZtUtilWindow");

struct Binding {
    TWndMethod method;
    Liveness liveness;  // the method may free its object, which releases the binding
};

Binding* BindingOf(win32::HWND window) {
    return reinterpret_cast<Binding*>(win32::GetWindowLongPtrW(window, GWLP_USERDATA));
}

win32::LRESULT CALLBACK BoundWindowProc(win32::HWND window, win32::UINT msg,
                                        win32::WPARAM wParam, win32::LPARAM lParam) {
    Binding* binding = BindingOf(window);
    if (binding == nullptr) return win32::DefWindowProcW(window, msg, wParam, lParam);
    TMessage message{msg, wParam, lParam, 0};
    // A failure must not unwind through the system's dispatcher.
    try {
        static_cast<void>(binding->liveness.CallOut(binding->method, message));  // nothing of it follows
    } catch (...) {
        HandleException(nullptr);
    }
    return message.Result;
}

bool RegisterWindowClass() {
    win32::WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &BoundWindowProc;
    windowClass.hInstance = win32::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    return win32::RegisterClassW(&windowClass) != 0;
}

}  // namespace

win32::HWND AllocateHWnd(TWndMethod method) {
    static std::once_flag registered;
    std::call_once(registered, RegisterWindowClass);
    // Top-level on purpose: message-only windows get no device-change broadcasts.
    const win32::HWND window =
        win32::CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, ZT_WTEXT(""), WS_POPUP, 0, 0, 0, 0,
                               nullptr, nullptr, win32::GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) return nullptr;
    win32::SetWindowLongPtrW(window, GWLP_USERDATA,
                             reinterpret_cast<win32::LONG_PTR>(new Binding{std::move(method), {}}));
    return window;
}

void FreeObjectInstance(win32::HWND window) {
    delete reinterpret_cast<Binding*>(win32::SetWindowLongPtrW(window, GWLP_USERDATA, 0));
}

}  // namespace zt::host
