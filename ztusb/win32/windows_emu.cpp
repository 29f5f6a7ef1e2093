// Emulated windows, per-thread message queues and device-notification subscriptions.
#include "ztusb/win32/api.h"
#include "ztusb/win32/device_notification_ledger.h"
#include "ztusb/win32/message_sources_emu.h"
#include "ztusb/win32/pointer_messages_emu.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace zt::win32 {
namespace {

struct Window {
    std::u16string className;
    DWORD thread;
    WNDPROC procedure;
    LONG_PTR userData;
    std::u16string text;
};

struct Queue {
    std::deque<MSG> posted;
    std::optional<int> quitCode;  // set by PostQuitMessage
    std::map<std::uint64_t, emulated::MessageSource> sources;
};

// Handles count up, so an ordered map also enumerates windows in creation order.
struct World {
    std::mutex mutex;
    std::map<std::u16string, WNDPROC> classes;
    std::map<HWND, Window> windows;
    std::map<DWORD, Queue> queues;
    std::uintptr_t nextHandle = 0x10000;
    std::uint64_t nextSource = 0;
};

World& TheWorld() {
    static World world;
    return world;
}

HWND NextHandle(World& world) {
    world.nextHandle += 4;
    return reinterpret_cast<HWND>(world.nextHandle);
}

// The window's procedure, or null when there is no such window.
WNDPROC ProcedureOf(HWND window) {
    World& world = TheWorld();
    std::lock_guard lock(world.mutex);
    const auto found = world.windows.find(window);
    return found == world.windows.end() ? nullptr : found->second.procedure;
}

// Lets the calling thread's message sources add to its queue; not again from inside one.
void PollMessageSources() {
    thread_local bool polling = false;
    if (polling) return;
    std::vector<emulated::MessageSource> sources;
    {
        World& world = TheWorld();
        std::lock_guard lock(world.mutex);
        for (const auto& [id, source] : world.queues[GetCurrentThreadId()].sources) sources.push_back(source);
    }
    polling = true;
    try {
        for (const auto& poll : sources) poll();
    } catch (...) {
        polling = false;
        throw;
    }
    polling = false;
}

// Copies as much of the text as fits before a NUL into a buffer of `units` units (at least
// one); returns the number of units copied.
LRESULT CopyOut(const std::u16string& text, LPWSTR buffer, std::size_t units) {
    const std::size_t copied = std::min(text.size(), units - 1);
    std::copy_n(text.begin(), copied, buffer);
    buffer[copied] = u'\0';
    return static_cast<LRESULT>(copied);
}

}  // namespace

DWORD GetCurrentThreadId() {
    static std::atomic<DWORD> lastId{0};
    thread_local const DWORD id = ++lastId;
    return id;
}

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}  // namespace

DWORD GetLastError() { return lastError; }

void SetLastError(DWORD error) { lastError = error; }

HMODULE GetModuleHandleW(LPCWSTR) {
    static char module;
    return reinterpret_cast<HMODULE>(&module);
}

ATOM RegisterClassW(const WNDCLASSW* windowClass) {
    if (windowClass == nullptr || windowClass->lpszClassName == nullptr ||
        windowClass->lpfnWndProc == nullptr) {
        return 0;
    }
    World& world = TheWorld();
    std::lock_guard lock(world.mutex);
    const auto [entry, added] =
        world.classes.emplace(windowClass->lpszClassName, windowClass->lpfnWndProc);
    return added ? static_cast<ATOM>(world.classes.size()) : 0;
}

HWND CreateWindowExW(DWORD, LPCWSTR className, LPCWSTR windowName, DWORD, int, int, int, int,
                     HWND parent, HMENU, HINSTANCE, LPVOID) {
    if (className == nullptr || parent != nullptr) return nullptr;
    World& world = TheWorld();
    std::lock_guard lock(world.mutex);
    const auto windowClass = world.classes.find(className);
    if (windowClass == world.classes.end()) return nullptr;
    const HWND handle = NextHandle(world);
    world.windows.emplace(handle, Window{windowClass->first, GetCurrentThreadId(),
                                         windowClass->second, 0, windowName ? windowName : u""});
    return handle;
}

BOOL DestroyWindow(HWND window) {
    const WNDPROC procedure = ProcedureOf(window);
    if (procedure == nullptr) return FALSE;
    procedure(window, WM_DESTROY, 0, 0);
    // The procedure may have been replaced while handling WM_DESTROY.
    if (const WNDPROC last = ProcedureOf(window)) last(window, WM_NCDESTROY, 0, 0);
    ledger::ForgetWindow(window);
    World& world = TheWorld();
    std::lock_guard lock(world.mutex);
    world.windows.erase(window);
    // What was posted to a window that is gone is never delivered.
    for (auto& [thread, queue] : world.queues) {
        std::erase_if(queue.posted, [&](const MSG& m) { return m.hwnd == window; });
    }
    return TRUE;
}

BOOL IsWindow(HWND window) { return ProcedureOf(window) != nullptr ? TRUE : FALSE; }

LONG_PTR GetWindowLongPtrW(HWND window, int index) {
    World& world = TheWorld();
    std::lock_guard lock(world.mutex);
    const auto found = world.windows.find(window);
    if (found == world.windows.end()) return 0;
    if (index == GWLP_WNDPROC) return reinterpret_cast<LONG_PTR>(found->second.procedure);
    if (index == GWLP_USERDATA) return found->second.userData;
    return 0;
}

LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value) {
    World& world = TheWorld();
    std::lock_guard lock(world.mutex);
    const auto found = world.windows.find(window);
    if (found == world.windows.end()) return 0;
    Window& target = found->second;
    LONG_PTR previous = 0;
    if (index == GWLP_WNDPROC && value != 0) {
        previous = reinterpret_cast<LONG_PTR>(target.procedure);
        target.procedure = reinterpret_cast<WNDPROC>(value);
    } else if (index == GWLP_USERDATA) {
        previous = target.userData;
        target.userData = value;
    }
    return previous;
}

LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    World& world = TheWorld();
    std::lock_guard lock(world.mutex);
    const auto found = world.windows.find(window);
    if (found == world.windows.end()) return 0;
    std::u16string& text = found->second.text;
    switch (message) {
        case WM_SETTEXT:
            text = lParam != 0 ? reinterpret_cast<LPCWSTR>(lParam) : u"";
            return TRUE;
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(text.size());
        case WM_GETTEXT:  // wParam counts the buffer's units, the NUL included
            if (wParam == 0 || lParam == 0) return 0;
            return CopyOut(text, reinterpret_cast<LPWSTR>(lParam), wParam);
        default:
            return 0;
    }
}

BOOL EnumThreadWindows(DWORD threadId, WNDENUMPROC callback, LPARAM lParam) {
    std::vector<HWND> found;
    {
        World& world = TheWorld();
        std::lock_guard lock(world.mutex);
        for (const auto& [handle, window] : world.windows) {
            if (window.thread == threadId) found.push_back(handle);
        }
    }
    for (const HWND handle : found) {
        if (IsWindow(handle) && !callback(handle, lParam)) break;
    }
    return found.empty() ? FALSE : TRUE;
}

int GetClassNameW(HWND window, LPWSTR className, int maxCount) {
    World& world = TheWorld();
    std::lock_guard lock(world.mutex);
    const auto found = world.windows.find(window);
    if (found == world.windows.end() || className == nullptr || maxCount <= 0) return 0;
    return static_cast<int>(
        CopyOut(found->second.className, className, static_cast<std::size_t>(maxCount)));
}

BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (emulated::CarriesPointer(message, wParam)) {
        SetLastError(ERROR_MESSAGE_SYNC_ONLY);
        return FALSE;
    }
    World& world = TheWorld();
    std::lock_guard lock(world.mutex);
    const auto found = world.windows.find(window);
    if (found == world.windows.end()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    world.queues[found->second.thread].posted.push_back(
        MSG{window, message, wParam, lParam, 0, {0, 0}});
    return TRUE;
}

LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC procedure = nullptr;
    {
        World& world = TheWorld();
        std::lock_guard lock(world.mutex);
        const auto found = world.windows.find(window);
        if (found == world.windows.end() || found->second.thread != GetCurrentThreadId()) return 0;
        procedure = found->second.procedure;
    }
    return procedure(window, message, wParam, lParam);
}

BOOL PeekMessageW(MSG* message, HWND, UINT, UINT, UINT removeFlags) {
    PollMessageSources();
    World& world = TheWorld();
    std::lock_guard lock(world.mutex);
    Queue& queue = world.queues[GetCurrentThreadId()];
    const bool remove = (removeFlags & PM_REMOVE) != 0;
    if (!queue.posted.empty()) {
        *message = queue.posted.front();
        if (remove) queue.posted.pop_front();
        return TRUE;
    }
    if (!queue.quitCode) return FALSE;
    *message = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(*queue.quitCode), 0, 0, {0, 0}};
    if (remove) queue.quitCode.reset();
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    World& world = TheWorld();
    std::lock_guard lock(world.mutex);
    world.queues[GetCurrentThreadId()].quitCode = exitCode;
}

BOOL TranslateMessage(const MSG* message) {
    if (message == nullptr || message->message != WM_KEYDOWN) return FALSE;
    const WPARAM key = message->wParam;
    char16_t character = 0;
    if (key >= 'A' && key <= 'Z') {
        character = static_cast<char16_t>(key - 'A' + u'a');
    } else if ((key >= '0' && key <= '9') || key == ' ') {
        character = static_cast<char16_t>(key);
    } else {
        return FALSE;
    }
    World& world = TheWorld();
    std::lock_guard lock(world.mutex);
    world.queues[GetCurrentThreadId()].posted.push_front(
        MSG{message->hwnd, WM_CHAR, character, message->lParam, 0, {0, 0}});
    return TRUE;
}

LRESULT DispatchMessageW(const MSG* message) {
    const WNDPROC procedure = ProcedureOf(message->hwnd);
    if (procedure == nullptr) return 0;
    return procedure(message->hwnd, message->message, message->wParam, message->lParam);
}

HDEVNOTIFY RegisterDeviceNotificationW(HANDLE recipient, LPVOID filter, DWORD flags) {
    const HWND window = static_cast<HWND>(recipient);
    GUID interfaceClass{};
    if (flags != DEVICE_NOTIFY_WINDOW_HANDLE || !IsWindow(window) ||
        !ledger::ReadInterfaceClass(filter, interfaceClass)) {
        return nullptr;
    }
    HDEVNOTIFY notification = nullptr;
    {
        World& world = TheWorld();
        std::lock_guard lock(world.mutex);
        notification = NextHandle(world);
    }
    ledger::Add(notification, window, interfaceClass);
    return notification;
}

BOOL UnregisterDeviceNotification(HDEVNOTIFY notification) {
    return ledger::Remove(notification) ? TRUE : FALSE;
}

namespace emulated {

std::uint64_t AddMessageSource(MessageSource poll) {
    World& world = TheWorld();
    std::lock_guard lock(world.mutex);
    const std::uint64_t id = ++world.nextSource;
    world.queues[GetCurrentThreadId()].sources.emplace(id, std::move(poll));
    return id;
}

void RemoveMessageSource(std::uint64_t source) {
    World& world = TheWorld();
    std::lock_guard lock(world.mutex);
    for (auto& [thread, queue] : world.queues) queue.sources.erase(source);
}

}  // namespace emulated
}  // namespace zt::win32
