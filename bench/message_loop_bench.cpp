// Message loops: how often an idle loop wakes, and how long a device event (a descriptor
// that becomes readable, as udev's monitor does) takes to reach the component's handler:
// through the waiting loop (GetMessageW), through TZtUsbDetectorThread (the event taken from
// its queue on another thread), and through the polling loop the monitor ran before
// (ProcessMessages, then 50 ms asleep). Wake-ups are the sleeping thread's voluntary context
// switches over 2 s (not 10: the polling loop's count grows by 20 a second, the waiting
// loop's stays where it is).
#include <benchmark/benchmark.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>

#include "ztusb/devices/detector_thread.h"
#include "ztusb/host/application.h"
#include "ztusb/win32/message_sources_emu.h"
#include "ztusb/world/broadcast.h"
#include "ztusb/win32/windows_names.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using zt_usb_detector::TZtUsbDetector;
namespace win32 = zt::win32;

constexpr auto kIdlePeriod = 2s;

// Sleeps a thread woke from, as its status counts them.
long VoluntarySwitches(const std::string& statusFile) {
    std::ifstream status(statusFile);
    std::string field;
    while (status >> field) {
        if (field == "voluntary_ctxt_switches:") {
            long count = 0;
            status >> count;
            return count;
        }
    }
    return -1;
}

std::string ThreadStatus(pid_t thread) { return "/proc/self/task/" + std::to_string(thread) + "/status"; }

// A device that speaks through a descriptor: plugging it makes the descriptor readable, and
// the message source it adds on the loop's thread broadcasts a port's arrival there.
class DescriptorDevice {
public:
    DescriptorDevice() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~DescriptorDevice() { close(fd_); }
    DescriptorDevice(const DescriptorDevice&) = delete;
    DescriptorDevice& operator=(const DescriptorDevice&) = delete;

    std::uint64_t Listen() {
        return win32::emulated::AddMessageSource({{fd_, POLLIN, -1}}, [this](const std::vector<short>&) {
            std::uint64_t count = 0;
            if (read(fd_, &count, sizeof count) > 0) zt::world::BroadcastDeviceChange(DBT_DEVICEARRIVAL, zt::world::PortRecord(u"COM5"));
        });
    }
    Clock::time_point Plug() const {
        const Clock::time_point at = Clock::now();
        const std::uint64_t one = 1;
        if (write(fd_, &one, sizeof one) < 0) std::abort();
        return at;
    }

private:
    int fd_;
};

enum class Loop { Waiting, Polling };

// A component on a thread of its own, run by one of the loops; its OnComDetect notes when
// it ran.
class LoopThread {
public:
    explicit LoopThread(Loop loop) : loop_(loop) {
        std::promise<void> ready;
        std::future<void> started = ready.get_future();
        thread_ = std::thread([this, &ready] { Run(ready); });
        started.wait();
    }
    ~LoopThread() {
        stop_ = true;
        win32::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    LoopThread(const LoopThread&) = delete;
    LoopThread& operator=(const LoopThread&) = delete;

    pid_t Tid() const { return tid_; }

    // Seconds from the plug to the handler.
    double PlugToHandler() {
        std::unique_lock lock(mutex_);
        handled_.reset();
        const Clock::time_point plugged = device_.Plug();
        arrived_.wait(lock, [this] { return handled_.has_value(); });
        return std::chrono::duration<double>(*handled_ - plugged).count();
    }

private:
    void Run(std::promise<void>& ready) {
        threadId_ = win32::GetCurrentThreadId();
        tid_ = gettid();
        TZtUsbDetector detector;
        detector.OnComDetect = [this](zt::host::TObject*, const zt::host::String&, std::int32_t) {
            const Clock::time_point now = Clock::now();
            std::lock_guard lock(mutex_);
            handled_ = now;
            arrived_.notify_all();
        };
        const std::uint64_t source = device_.Listen();
        ready.set_value();
        if (loop_ == Loop::Waiting) {
            win32::MSG message{};
            while (win32::GetMessageW(&message, nullptr, 0, 0) > 0) {
                win32::TranslateMessage(&message);
                win32::DispatchMessageW(&message);
            }
        } else {
            while (!stop_) {
                zt::host::ProcessMessages();
                std::this_thread::sleep_for(50ms);
            }
        }
        win32::emulated::RemoveMessageSource(source);
    }

    Loop loop_;
    DescriptorDevice device_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    win32::DWORD threadId_ = 0;
    pid_t tid_ = 0;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::optional<Clock::time_point> handled_;
};

// The class with the same device, listened to on its thread.
class ClassThread {
public:
    ClassThread()
        : thread_([this](TZtUsbDetector&) {
              tid_ = gettid();
              const std::uint64_t source = device_.Listen();
              return std::shared_ptr<void>(nullptr, [source](void*) { win32::emulated::RemoveMessageSource(source); });
          }) {}

    pid_t Tid() const { return tid_; }

    double PlugToHandler() {
        const Clock::time_point plugged = device_.Plug();
        while (const auto event = thread_.WaitEvent(1s)) {
            if (event->Kind == zt_usb_detector::TZtDetectorEvent::TKind::ComDetect) {
                return std::chrono::duration<double>(Clock::now() - plugged).count();
            }
        }
        std::abort();
    }

private:
    DescriptorDevice device_;
    pid_t tid_ = 0;
    zt_usb_detector::TZtUsbDetectorThread thread_;
};

template <typename Component>
void IdleWakeups(benchmark::State& state, Component& component) {
    std::this_thread::sleep_for(100ms);  // the loop's first sleep is not a wake-up
    for (auto _ : state) {
        const long before = VoluntarySwitches(ThreadStatus(component.Tid()));
        std::this_thread::sleep_for(kIdlePeriod);
        state.counters["wakeups"] = static_cast<double>(VoluntarySwitches(ThreadStatus(component.Tid())) - before);
    }
}

void BM_IdleWakeups_WaitingLoop(benchmark::State& state) {
    LoopThread loop(Loop::Waiting);
    IdleWakeups(state, loop);
}
BENCHMARK(BM_IdleWakeups_WaitingLoop)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_IdleWakeups_PollingLoop(benchmark::State& state) {
    LoopThread loop(Loop::Polling);
    IdleWakeups(state, loop);
}
BENCHMARK(BM_IdleWakeups_PollingLoop)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_IdleWakeups_DetectorThread(benchmark::State& state) {
    ClassThread thread;
    IdleWakeups(state, thread);
}
BENCHMARK(BM_IdleWakeups_DetectorThread)->Iterations(1)->Unit(benchmark::kMillisecond);

// `ztusbmon watch` itself, on a world without devices or script: its one thread's sleeps.
void BM_IdleWakeups_MonitorWatch(benchmark::State& state) {
    const std::filesystem::path world = std::filesystem::temp_directory_path() / "zt-bench-idle-world.json";
    std::ofstream(world) << R"({"devices": []})";
    for (auto _ : state) {
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
        std::string program = ZT_MONITOR, worldOption = "--world", worldFile = world.string(), watch = "watch";
        char* argv[] = {program.data(), worldOption.data(), worldFile.data(), watch.data(), nullptr};
        pid_t monitor = 0;
        if (posix_spawn(&monitor, program.c_str(), &files, nullptr, argv, environ) != 0) {
            state.SkipWithError("the monitor cannot be started");
            break;
        }
        posix_spawn_file_actions_destroy(&files);
        std::this_thread::sleep_for(500ms);  // past its start
        const std::string status = "/proc/" + std::to_string(monitor) + "/status";
        const long before = VoluntarySwitches(status);
        std::this_thread::sleep_for(kIdlePeriod);
        state.counters["wakeups"] = static_cast<double>(VoluntarySwitches(status) - before);
        const Clock::time_point interrupted = Clock::now();
        kill(monitor, SIGINT);
        int exitStatus = 0;
        waitpid(monitor, &exitStatus, 0);
        state.counters["exit_ms"] = std::chrono::duration<double, std::milli>(Clock::now() - interrupted).count();
        state.counters["exit_code"] = WIFEXITED(exitStatus) ? WEXITSTATUS(exitStatus) : -1;
    }
    std::filesystem::remove(world);
}
BENCHMARK(BM_IdleWakeups_MonitorWatch)->Iterations(1)->Unit(benchmark::kMillisecond);

// Devices come at any moment of a polling loop's sleep: each plug after a pause of its own.
template <typename Component>
void PlugToHandler(benchmark::State& state, Component& component) {
    std::minstd_rand pauses(28);
    std::uniform_int_distribution<int> pauseMs(0, 50);
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs(pauses)));
        state.SetIterationTime(component.PlugToHandler());
    }
}

void BM_DeviceEventToHandler_WaitingLoop(benchmark::State& state) {
    LoopThread loop(Loop::Waiting);
    PlugToHandler(state, loop);
}
BENCHMARK(BM_DeviceEventToHandler_WaitingLoop)->UseManualTime()->Iterations(40)->Unit(benchmark::kMicrosecond);

void BM_DeviceEventToHandler_PollingLoop(benchmark::State& state) {
    LoopThread loop(Loop::Polling);
    PlugToHandler(state, loop);
}
BENCHMARK(BM_DeviceEventToHandler_PollingLoop)->UseManualTime()->Iterations(40)->Unit(benchmark::kMicrosecond);

// To the host's thread: the event as a value from the class's queue.
void BM_DeviceEventToHost_DetectorThread(benchmark::State& state) {
    ClassThread thread;
    PlugToHandler(state, thread);
}
BENCHMARK(BM_DeviceEventToHost_DetectorThread)->UseManualTime()->Iterations(40)->Unit(benchmark::kMicrosecond);

}  // namespace
