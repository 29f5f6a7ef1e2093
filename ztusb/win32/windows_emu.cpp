// Emulated windows, per-thread message queues and device-notification subscriptions.
#include "ztusb/win32/api.h"
#include "ztusb/win32/default_world_emu.h"
#include "ztusb/win32/device_notification_ledger.h"
#include "ztusb/win32/message_sources_emu.h"
#include "ztusb/win32/pointer_messages_emu.h"
#include "ztusb/win32/queue_wakeup_emu.h"
#include "ztusb/win32/windows_names.h"

#include <poll.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace zt::win32 {
namespace {

// Windows' default quotas: windows (USER objects) per process, messages posted per queue.
constexpr std::size_t kWindowQuota = 10000;
constexpr std::size_t kPostedMessageQuota = 10000;

struct Window {
    std::u16string className;
    DWORD thread;
    WNDPROC procedure;
    LONG_PTR userData;
    std::u16string text;
};

struct Source {
    std::vector<emulated::SourceDescriptor> descriptors;
    emulated::MessageSource onReady;
};

struct Queue {
    std::deque<MSG> posted;
    std::optional<int> quitCode;  // set by PostQuitMessage
    std::map<std::uint64_t, Source> sources;
    // Made when the thread first waits, adds a source or asks for its descriptor.
    std::unique_ptr<emulated::QueueWakeup> wakeup;

    bool HasMessage() const { return !posted.empty() || quitCode.has_value(); }
    // False, with the last error set, when the queue is full.
    bool Post(const MSG& message) {
        if (posted.size() >= kPostedMessageQuota) {
            SetLastError(ERROR_NOT_ENOUGH_QUOTA);
            return false;
        }
        posted.push_back(message);
        if (wakeup) wakeup->Signal();
        return true;
    }
    // Null when the system gives no descriptors.
    emulated::QueueWakeup* Wakeup() {
        if (!wakeup && (wakeup = emulated::QueueWakeup::Make()) && HasMessage()) wakeup->Signal();
        return wakeup.get();
    }
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

// Never destroyed: a thread that ends after main (a detached one) still releases its queue.
World& TheWorld() {
    static World& world = *new World;
    return world;
}

// The calling thread's queue, which goes with the thread (its descriptors closed).
Queue& OwnQueue(World& world) {
    struct Release {
        DWORD thread;
        ~Release() {
            World& world = TheWorld();
            std::lock_guard lock(world.mutex);
            world.queues.erase(thread);
        }
    };
    thread_local const Release release{GetCurrentThreadId()};
    return world.queues[release.thread];
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

// What a descriptor's twin reports now, without waiting.
short TwinEvents(const emulated::SourceDescriptor& descriptor) {
    if (descriptor.twin < 0) return 0;
    pollfd twin{descriptor.twin, descriptor.events, 0};
    return poll(&twin, 1, 0) > 0 ? twin.revents : short{0};
}

// The sources whose descriptors, or their twins, reported, each with its descriptors' events.
std::vector<std::pair<emulated::MessageSource, std::vector<short>>> ReadySources(
    const Queue& queue, const std::vector<emulated::ReadyDescriptor>& ready) {
    std::vector<std::pair<emulated::MessageSource, std::vector<short>>> found;
    for (const auto& [id, source] : queue.sources) {
        std::vector<short> events(source.descriptors.size(), 0);
        for (std::size_t i = 0; i < events.size(); ++i) {
            events[i] = TwinEvents(source.descriptors[i]);
            for (const auto& descriptor : ready) {
                if (descriptor.fd == source.descriptors[i].fd) events[i] |= static_cast<short>(descriptor.events);
            }
        }
        if (std::any_of(events.begin(), events.end(), [](short e) { return e != 0; })) {
            found.emplace_back(source.onReady, std::move(events));
        }
    }
    return found;
}

// Waits, when asked to and nothing is queued, for a post or for a descriptor of the
// thread's message sources, then lets the sources that reported add to the queue. Not again
// from inside a source: a wait there only ends on a post. False when waiting was asked and
// the system gives no descriptors to wait on.
bool ServeMessageSources(bool wait) {
    thread_local bool serving = false;
    World& world = TheWorld();
    emulated::QueueWakeup* wakeup = nullptr;
    {
        std::lock_guard lock(world.mutex);
        Queue& queue = OwnQueue(world);
        wait = wait && !queue.HasMessage();
        wakeup = wait ? queue.Wakeup() : queue.wakeup.get();
        if (wakeup == nullptr) return !wait;
    }
    if (serving) {
        if (wait) wakeup->WaitForSignal();
        return true;
    }
    const std::vector<emulated::ReadyDescriptor> ready = wakeup->Wait(wait ? -1 : 0);
    std::vector<std::pair<emulated::MessageSource, std::vector<short>>> sources;
    {
        std::lock_guard lock(world.mutex);
        sources = ReadySources(OwnQueue(world), ready);
    }
    serving = true;
    try {
        for (const auto& [onReady, events] : sources) onReady(events);
    } catch (...) {
        serving = false;
        throw;
    }
    serving = false;
    return true;
}

// The first message of the calling thread's queue, or the quit request once nothing else
// is waiting.
bool TakeMessage(MSG* message, bool remove) {
    World& world = TheWorld();
    std::lock_guard lock(world.mutex);
    Queue& queue = OwnQueue(world);
    if (!queue.posted.empty()) {
        *message = queue.posted.front();
        if (remove) queue.posted.pop_front();
        return true;
    }
    if (!queue.quitCode) return false;
    *message = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(*queue.quitCode), 0, 0, {0, 0}};
    if (remove) queue.quitCode.reset();
    return true;
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
    if (world.windows.size() >= kWindowQuota) {
        SetLastError(ERROR_NOT_ENOUGH_QUOTA);
        return nullptr;
    }
    const HWND handle = NextHandle(world);
    OwnQueue(world);  // posts to the window need its thread's queue
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
    const auto queue = world.queues.find(found->second.thread);
    if (queue == world.queues.end()) return FALSE;  // its thread has ended
    return queue->second.Post(MSG{window, message, wParam, lParam, 0, {0, 0}}) ? TRUE : FALSE;
}

BOOL PostThreadMessageW(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
    World& world = TheWorld();
    std::lock_guard lock(world.mutex);
    const auto queue = world.queues.find(threadId);
    if (queue == world.queues.end()) return FALSE;
    return queue->second.Post(MSG{nullptr, message, wParam, lParam, 0, {0, 0}}) ? TRUE : FALSE;
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
    ServeMessageSources(false);
    return TakeMessage(message, (removeFlags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL GetMessageW(MSG* message, HWND window, UINT, UINT) {
    if (message == nullptr || (window != nullptr && !IsWindow(window))) return -1;
    for (bool wait = false;; wait = true) {
        if (!ServeMessageSources(wait)) return -1;
        if (TakeMessage(message, true)) return message->message == WM_QUIT ? FALSE : TRUE;
    }
}

void PostQuitMessage(int exitCode) {
    World& world = TheWorld();
    std::lock_guard lock(world.mutex);
    OwnQueue(world).quitCode = exitCode;
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
    OwnQueue(world).posted.push_front(
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
    // The machine's changes come to the thread that wants to hear of devices.
    if (auto* machine = emulated::TheDefaultWorld()) machine->Listen();
    return notification;
}

BOOL UnregisterDeviceNotification(HDEVNOTIFY notification) {
    return ledger::Remove(notification) ? TRUE : FALSE;
}

namespace emulated {

std::uint64_t AddMessageSource(std::vector<SourceDescriptor> descriptors, MessageSource onReady) {
    World& world = TheWorld();
    std::lock_guard lock(world.mutex);
    QueueWakeup* wakeup = OwnQueue(world).Wakeup();
    if (wakeup == nullptr) throw std::system_error(errno, std::generic_category(), "a message source");
    for (std::size_t i = 0; i < descriptors.size(); ++i) {
        if (wakeup->Watch(descriptors[i].fd, static_cast<unsigned short>(descriptors[i].events))) continue;
        const int error = errno;
        for (std::size_t watched = 0; watched < i; ++watched) wakeup->Forget(descriptors[watched].fd);
        throw std::system_error(error, std::generic_category(), "a message source's descriptor");
    }
    const std::uint64_t id = ++world.nextSource;
    OwnQueue(world).sources.emplace(id, Source{std::move(descriptors), std::move(onReady)});
    return id;
}

void RemoveMessageSource(std::uint64_t source) {
    World& world = TheWorld();
    std::lock_guard lock(world.mutex);
    for (auto& [thread, queue] : world.queues) {
        const auto found = queue.sources.find(source);
        if (found == queue.sources.end()) continue;
        for (const SourceDescriptor& descriptor : found->second.descriptors) queue.wakeup->Forget(descriptor.fd);
        queue.sources.erase(found);
    }
}

int MessageQueueDescriptor() {
    World& world = TheWorld();
    std::lock_guard lock(world.mutex);
    const QueueWakeup* wakeup = OwnQueue(world).Wakeup();
    return wakeup != nullptr ? wakeup->Descriptor() : -1;
}

}  // namespace emulated
}  // namespace zt::win32
