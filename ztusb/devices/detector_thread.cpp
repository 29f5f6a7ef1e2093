// The component's own thread: its loop, the host's inquiries carried to it, and its events
// carried back as values.
#include "ztusb/devices/detector_thread.h"

#include "ztusb/devices/devices.h"
#include "ztusb/win32/windows_names.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <type_traits>

namespace zt_usb_detector {
namespace {

namespace win32 = zt::win32;
using TKind = TZtDetectorEvent::TKind;

// Posted to the thread, without a window, so that its GetMessageW returns: an inquiry is
// waiting or the loop is to end. A loop the component runs inside an inquiry drops it; the
// work stays queued for the thread's own loop.
constexpr win32::UINT kWakeUp = WM_APP + 0x2B12;

std::runtime_error Stopped() { return std::runtime_error("the detector's thread has stopped"); }

// An info event's records, cut to the count it gives.
template <typename Record>
std::vector<Record> Found(std::vector<Record> records, std::int32_t count) {
    records.resize(std::min<std::size_t>(std::max(count, 0), records.size()));
    return records;
}

}  // namespace

struct TZtUsbDetectorThread::TState {
    // Given null when the thread ended before it could run the task.
    using TTask = std::function<void(TZtUsbDetector* detector)>;

    std::mutex mutex;
    std::condition_variable eventQueued;
    std::deque<TTask> tasks;
    std::deque<TZtDetectorEvent> events;
    std::deque<zt::devices::DeviceEvent> deviceEvents;
    bool stopping = false;  // no more tasks, no more queued events
    std::thread thread;
    std::mutex joining;
    // Written by the thread before the constructor returns.
    std::thread::id runner;
    win32::DWORD threadId = 0;
    TZtUsbDetector* detector = nullptr;  // read on the thread only

    bool OnThread() const { return std::this_thread::get_id() == runner; }
    void WakeUp() const { win32::PostThreadMessageW(threadId, kWakeUp, 0, 0); }

    void Run(const TSetup& setup, std::promise<void>& started);
    void Connect(TZtUsbDetector& component);
    void Queue(TZtDetectorEvent event);
    void QueueDevice(const zt::devices::DeviceEvent& event);
    void Loop();
    void RunTasks();
    void FailTasks();
};

void TZtUsbDetectorThread::TState::Run(const TSetup& setup, std::promise<void>& started) {
    runner = std::this_thread::get_id();
    threadId = win32::GetCurrentThreadId();
    std::shared_ptr<void> world;  // released after the component
    std::optional<TZtUsbDetector> component;
    std::optional<zt::devices::DeviceWatch> devices;  // released before the component
    try {
        component.emplace();
        Connect(*component);
        if (setup) world = setup(*component);
        devices.emplace([this](const zt::devices::DeviceEvent& event) { QueueDevice(event); });
    } catch (...) {
        started.set_exception(std::current_exception());
        return;
    }
    detector = &*component;
    started.set_value();
    Loop();
    {
        std::lock_guard lock(mutex);
        stopping = true;
    }
    eventQueued.notify_all();
    detector = nullptr;
    devices.reset();
    component.reset();
    world.reset();
    FailTasks();
}

void TZtUsbDetectorThread::TState::Connect(TZtUsbDetector& component) {
    component.OnComDetect = [this](TObject*, const String& port, std::int32_t inout) {
        Queue({TKind::ComDetect, port, {}, {}, inout, {}, {}});
    };
    component.OnVolumeDetect = [this](TObject*, const String& volume, std::int32_t inout) {
        Queue({TKind::VolumeDetect, volume, {}, {}, inout, {}, {}});
    };
    component.OnUsbDetect = [this](TObject*, const String& name, const String& vid, const String& pid,
                                   std::int32_t inout) { Queue({TKind::UsbDetect, name, vid, pid, inout, {}, {}}); };
    component.OnNewComInfo = [this](TObject*, std::vector<TZtComInfo> info, std::int32_t count) {
        Queue({TKind::NewComInfo, {}, {}, {}, 0, Found(std::move(info), count), {}});
    };
    component.OnNewVolInfo = [this](TObject*, std::vector<TZtVolInfo> info, std::int32_t count) {
        Queue({TKind::NewVolInfo, {}, {}, {}, 0, {}, Found(std::move(info), count)});
    };
}

void TZtUsbDetectorThread::TState::Queue(TZtDetectorEvent event) {
    {
        std::lock_guard lock(mutex);
        if (stopping) return;
        events.push_back(std::move(event));
    }
    eventQueued.notify_all();
}

void TZtUsbDetectorThread::TState::QueueDevice(const zt::devices::DeviceEvent& event) {
    {
        std::lock_guard lock(mutex);
        if (stopping) return;
        deviceEvents.push_back(event);
    }
    eventQueued.notify_all();
}

// Inquiries run here, between messages, never inside a loop the component runs itself.
void TZtUsbDetectorThread::TState::Loop() {
    for (;;) {
        RunTasks();
        {
            std::lock_guard lock(mutex);
            if (stopping) return;
        }
        win32::MSG message{};
        if (win32::GetMessageW(&message, nullptr, 0, 0) <= 0) return;
        if (message.hwnd == nullptr) continue;  // a wake-up
        win32::TranslateMessage(&message);
        win32::DispatchMessageW(&message);
    }
}

void TZtUsbDetectorThread::TState::RunTasks() {
    for (;;) {
        TTask task;
        {
            std::lock_guard lock(mutex);
            if (tasks.empty()) return;
            task = std::move(tasks.front());
            tasks.pop_front();
        }
        task(detector);
    }
}

void TZtUsbDetectorThread::TState::FailTasks() {
    std::deque<TTask> left;
    {
        std::lock_guard lock(mutex);
        left.swap(tasks);
    }
    for (const TTask& task : left) task(nullptr);
}

TZtUsbDetectorThread::TZtUsbDetectorThread(TSetup Setup) : FState(std::make_shared<TState>()) {
    std::promise<void> started;
    std::future<void> ready = started.get_future();
    FState->thread = std::thread([state = FState, setup = std::move(Setup), started = std::move(started)]() mutable {
        state->Run(setup, started);
    });
    try {
        ready.get();
    } catch (...) {
        FState->thread.join();
        throw;
    }
}

TZtUsbDetectorThread::~TZtUsbDetectorThread() {
    Stop();
    // Destroyed on its own thread: that thread ends by itself. Another caller may be joining.
    std::unique_lock join(FState->joining, std::try_to_lock);
    if (join && FState->thread.joinable()) FState->thread.detach();
}

void TZtUsbDetectorThread::Stop() {
    {
        std::lock_guard lock(FState->mutex);
        FState->stopping = true;
    }
    FState->eventQueued.notify_all();
    FState->WakeUp();
    if (FState->OnThread()) return;
    std::lock_guard join(FState->joining);
    if (FState->thread.joinable()) FState->thread.join();
}

std::optional<TZtDetectorEvent> TZtUsbDetectorThread::WaitEvent(std::chrono::milliseconds Timeout) {
    std::unique_lock lock(FState->mutex);
    FState->eventQueued.wait_for(lock, Timeout, [this] { return !FState->events.empty() || FState->stopping; });
    if (FState->events.empty()) return std::nullopt;
    TZtDetectorEvent event = std::move(FState->events.front());
    FState->events.pop_front();
    return event;
}

std::optional<zt::devices::DeviceEvent> TZtUsbDetectorThread::WaitDeviceEvent(std::chrono::milliseconds Timeout) {
    std::unique_lock lock(FState->mutex);
    FState->eventQueued.wait_for(lock, Timeout, [this] { return !FState->deviceEvents.empty() || FState->stopping; });
    if (FState->deviceEvents.empty()) return std::nullopt;
    zt::devices::DeviceEvent event = std::move(FState->deviceEvents.front());
    FState->deviceEvents.pop_front();
    return event;
}

template <typename Result>
Result TZtUsbDetectorThread::Ask(std::function<Result(TZtUsbDetector&)> inquiry) {
    if (FState->OnThread()) {
        if (FState->detector == nullptr) throw Stopped();
        return inquiry(*FState->detector);
    }
    const auto answer = std::make_shared<std::promise<Result>>();
    std::future<Result> result = answer->get_future();
    {
        std::lock_guard lock(FState->mutex);
        if (FState->stopping) throw Stopped();
        FState->tasks.push_back([answer, inquiry = std::move(inquiry)](TZtUsbDetector* detector) {
            try {
                if (detector == nullptr) throw Stopped();
                if constexpr (std::is_void_v<Result>) {
                    inquiry(*detector);
                    answer->set_value();
                } else {
                    answer->set_value(inquiry(*detector));
                }
            } catch (...) {
                answer->set_exception(std::current_exception());
            }
        });
    }
    FState->WakeUp();
    return result.get();
}

void TZtUsbDetectorThread::GetAvailableComPorts(TStringList& Ports, bool WithNames) {
    Ports.Assign(Ask<TStringList>([WithNames](TZtUsbDetector& detector) {
        TStringList found;
        detector.GetAvailableComPorts(found, WithNames);
        return found;
    }));
}

std::vector<TZtComInfo> TZtUsbDetectorThread::GetAvailableComPortsEx() {
    return Ask<std::vector<TZtComInfo>>([](TZtUsbDetector& detector) {
        const std::int32_t count = detector.GetAvailableComPortsEx();
        return Found(detector.ZtComInfo, count);
    });
}

std::vector<TZtVolInfo> TZtUsbDetectorThread::GetAvailableVolumens() {
    return Ask<std::vector<TZtVolInfo>>([](TZtUsbDetector& detector) {
        const std::int32_t count = detector.GetAvailableVolumens();
        return Found(detector.ZtAllVolInfo, count);
    });
}

void TZtUsbDetectorThread::CheckUSBasp() {
    Ask<void>([](TZtUsbDetector& detector) { detector.CheckUSBasp(); });
}

void TZtUsbDetectorThread::Call(std::function<void(TZtUsbDetector& Detector)> Task) { Ask<void>(std::move(Task)); }

std::vector<zt::devices::UsbDevice> TZtUsbDetectorThread::UsbDevices() {
    return Ask<std::vector<zt::devices::UsbDevice>>([](TZtUsbDetector&) { return zt::devices::UsbDevices(); });
}

std::optional<zt::devices::UsbDevice> TZtUsbDetectorThread::WaitDevice(const zt::devices::DeviceMatch& Match,
                                                                      std::chrono::milliseconds Timeout) {
    return zt::devices::WaitFor(Match, Timeout);
}

}  // namespace zt_usb_detector
