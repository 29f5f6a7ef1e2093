// The emulation's waiting loop: GetMessageW's returns, what wakes it (a post from another
// thread, a message source's descriptor), the queue's descriptor for a host's own loop, and
// a queue that goes with its thread.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "ztusb/host/application.h"
#include "ztusb/host/window_binding.h"
#include "ztusb/win32/api.h"
#include "ztusb/win32/message_sources_emu.h"
#include "ztusb/win32/windows_names.h"

namespace {

namespace win32 = zt::win32;
namespace emulated = zt::win32::emulated;

// An eventfd added as the calling thread's message source; the source posts WM_APP + 1 to
// the thread and records what it was handed.
class EventSource {
public:
    EventSource() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
        id_ = emulated::AddMessageSource({{fd_, POLLIN, -1}}, [this](const std::vector<short>& ready) {
            calls.push_back(ready);
            std::uint64_t count = 0;
            if (read(fd_, &count, sizeof count) < 0) ADD_FAILURE() << "called without an event";
            win32::PostThreadMessageW(win32::GetCurrentThreadId(), WM_APP + 1, 0, 0);
        });
    }
    ~EventSource() {
        emulated::RemoveMessageSource(id_);
        close(fd_);
    }
    void Fire() const {
        const std::uint64_t one = 1;
        ASSERT_EQ(write(fd_, &one, sizeof one), static_cast<ssize_t>(sizeof one));
    }

    std::vector<std::vector<short>> calls;

private:
    int fd_;
    std::uint64_t id_ = 0;
};

bool Readable(int fd) {
    pollfd watched{fd, POLLIN, 0};
    return poll(&watched, 1, 0) == 1;
}

// Runs the work on another thread once this one is (most likely) asleep in GetMessageW.
std::thread Later(std::function<void()> work) {
    return std::thread([work = std::move(work)] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        work();
    });
}

TEST(MessageWait, GetMessageReturnsAsWindowsDoes) {
    struct Row {
        const char* name;
        std::function<win32::BOOL(win32::MSG&)> call;
        win32::BOOL expected;
        win32::UINT message;
        win32::WPARAM wParam;
    };
    const win32::DWORD self = win32::GetCurrentThreadId();
    const Row rows[] = {
        {"null message", [](win32::MSG&) { return win32::GetMessageW(nullptr, nullptr, 0, 0); }, -1, 0, 0},
        {"filter that is no window",
         [](win32::MSG& m) { return win32::GetMessageW(&m, reinterpret_cast<win32::HWND>(0x7654), 0, 0); }, -1, 0, 0},
        {"quit request",
         [](win32::MSG& m) {
             win32::PostQuitMessage(7);
             return win32::GetMessageW(&m, nullptr, 0, 0);
         },
         0, WM_QUIT, 7},
        {"thread message",
         [self](win32::MSG& m) {
             win32::PostThreadMessageW(self, WM_APP, 3, 0);
             return win32::GetMessageW(&m, nullptr, 0, 0);
         },
         1, WM_APP, 3},
    };
    for (const Row& row : rows) {
        win32::MSG message{};
        EXPECT_EQ(row.call(message), row.expected) << row.name;
        if (row.expected != -1) {
            EXPECT_EQ(message.message, row.message) << row.name;
            EXPECT_EQ(message.wParam, row.wParam) << row.name;
        }
    }
}

TEST(MessageWait, APostFromAnotherThreadWakesTheWaiter) {
    const win32::HWND window = zt::host::AllocateHWnd([](zt::host::TMessage&) {});
    std::thread poster = Later([window] { win32::PostMessageW(window, WM_APP + 2, 0, 0); });
    win32::MSG message{};
    EXPECT_EQ(win32::GetMessageW(&message, nullptr, 0, 0), 1);
    EXPECT_EQ(message.message, static_cast<win32::UINT>(WM_APP + 2));
    poster.join();
    zt::host::FreeObjectInstance(window);
    win32::DestroyWindow(window);
}

TEST(MessageWait, ASourceIsCalledWithItsEventsOnlyWhenItHasSome) {
    EventSource source;
    zt::host::ProcessMessages();
    EXPECT_TRUE(source.calls.empty());
    std::thread firing = Later([&source] { source.Fire(); });
    win32::MSG message{};
    EXPECT_EQ(win32::GetMessageW(&message, nullptr, 0, 0), 1);
    EXPECT_EQ(message.message, static_cast<win32::UINT>(WM_APP + 1));
    firing.join();
    EXPECT_EQ(source.calls, (std::vector<std::vector<short>>{{POLLIN}}));
}

// A host's own loop watches one descriptor: readable while a post or a source waits, and no
// longer once ProcessMessages has done the work.
TEST(MessageWait, TheQueuesDescriptorIsReadableWhileTheLoopHasWork) {
    EventSource source;
    const int queue = emulated::MessageQueueDescriptor();
    ASSERT_GE(queue, 0);
    zt::host::ProcessMessages();
    EXPECT_FALSE(Readable(queue));
    const win32::DWORD self = win32::GetCurrentThreadId();
    std::thread([self] { win32::PostThreadMessageW(self, WM_APP, 0, 0); }).join();
    EXPECT_TRUE(Readable(queue));
    zt::host::ProcessMessages();
    EXPECT_FALSE(Readable(queue));
    source.Fire();
    EXPECT_TRUE(Readable(queue));
    zt::host::ProcessMessages();  // the source runs, and its post is dispatched
    EXPECT_EQ(source.calls.size(), 1u);
    EXPECT_FALSE(Readable(queue));
}

TEST(MessageWait, AQueueGoesWithItsThread) {
    win32::HWND window = nullptr;
    win32::DWORD thread = 0;
    std::thread([&] {
        window = zt::host::AllocateHWnd([](zt::host::TMessage&) {});
        thread = win32::GetCurrentThreadId();
        EXPECT_TRUE(win32::PostThreadMessageW(thread, WM_APP, 0, 0));
    }).join();
    EXPECT_FALSE(win32::PostThreadMessageW(thread, WM_APP, 0, 0));
    EXPECT_FALSE(win32::PostMessageW(window, WM_APP, 0, 0));
    zt::host::FreeObjectInstance(window);
    win32::DestroyWindow(window);
}

}  // namespace
