// The device watch: a hidden window that hears the broadcasts, reads the devices again once
// they are quiet, holds back new devices until their faces have settled, and tells what came,
// went or changed. Each settled reading goes to the board that waits on other threads read.
#include "ztusb/devices/device_watch.h"

#include <algorithm>
#include <condition_variable>
#include <set>
#include <mutex>
#include <thread>

#include "ztusb/devices/devices.h"
#include "ztusb/host/liveness.h"
#include "ztusb/host/window_binding.h"
#include "ztusb/win32/broadcast_records.h"
#include "ztusb/win32/windows_names.h"

namespace zt::devices {
namespace {

namespace win32 = zt::win32;
using Clock = std::chrono::steady_clock;

constexpr win32::UINT_PTR kSettleTimer = 1;
constexpr win32::UINT kQuietMs = 250;
constexpr win32::UINT_PTR kDeadlineTimer = 2;
constexpr std::chrono::seconds kLongestHold{3};

bool SameDevice(const UsbDevice& a, const UsbDevice& b) {
    return a.location == b.location && a.vendorId == b.vendorId && a.productId == b.productId && a.name == b.name;
}

// Whether every disk of the device shows a volume that can be reached: lettered, or mounted
// (a file system found but not mounted yet is still to come).
bool FacesSettled(const UsbDevice& device) {
    return std::all_of(device.disks.begin(), device.disks.end(), [&](const Disk& disk) {
        return std::any_of(device.volumes.begin(), device.volumes.end(), [&](const Volume& volume) {
            return volume.lun == disk.lun && (!volume.letter.empty() || !volume.mountPoint.empty());
        });
    });
}

// The latest settled reading of the watches, for waits on threads they do not serve.
struct Board {
    std::mutex mutex;
    std::condition_variable published;
    std::vector<UsbDevice> devices;
    std::multiset<std::thread::id> watchers;  // the threads whose loops a watch serves

    bool ServedElsewhere(std::thread::id thread) const {
        return std::any_of(watchers.begin(), watchers.end(), [&](std::thread::id t) { return t != thread; });
    }
};

Board& TheBoard() {
    static Board& board = *new Board;  // waits may outlive main's statics
    return board;
}

}  // namespace

struct DeviceWatch::State {
    Handler handler;
    win32::HWND window = nullptr;
    win32::HDEVNOTIFY notification = nullptr;
    std::vector<UsbDevice> announced;
    struct Held {
        UsbDevice device;
        Clock::time_point since;
    };
    std::vector<Held> held;
    host::Liveness liveness;

    void OnMessage(host::TMessage& message) {
        if (message.Msg == WM_DEVICECHANGE &&
            (message.WParam == DBT_DEVICEARRIVAL || message.WParam == DBT_DEVICEREMOVECOMPLETE)) {
            win32::SetTimer(window, kSettleTimer, kQuietMs, nullptr);  // again: quiet from now on
        } else if (message.Msg == WM_TIMER && message.WParam == kSettleTimer) {
            win32::KillTimer(window, kSettleTimer);
            Read();
        } else {
            message.Result = win32::DefWindowProcW(window, message.Msg, message.WParam, message.LParam);
        }
    }

    void Read() {
        std::vector<DeviceEvent> events;
        const std::vector<UsbDevice> now = UsbDevices();
        const auto present = [&](const UsbDevice& d) {
            return std::any_of(now.begin(), now.end(), [&](const UsbDevice& n) { return SameDevice(n, d); });
        };
        // Gone: an announced device leaves with the faces it had; a held one went unheard.
        for (auto old = announced.begin(); old != announced.end();) {
            if (present(*old)) {
                ++old;
                continue;
            }
            events.push_back({DeviceEvent::Kind::Removal, std::move(*old)});
            old = announced.erase(old);
        }
        std::erase_if(held, [&](const Held& h) { return !present(h.device); });
        for (const UsbDevice& device : now) Take(device, events);
        Publish();
        if (!held.empty()) win32::SetTimer(window, kSettleTimer, kQuietMs, nullptr);
        const auto watch = liveness.Observe();
        for (const DeviceEvent& event : events) {
            if (handler && !watch.CallOut(handler, event)) return;  // the handler ended the watch
        }
    }

    // A device of the reading: changed, still settling, or new.
    void Take(const UsbDevice& device, std::vector<DeviceEvent>& events) {
        const auto known = std::find_if(announced.begin(), announced.end(), [&](const UsbDevice& d) { return SameDevice(d, device); });
        if (known != announced.end()) {
            if (!(*known == device)) events.push_back({DeviceEvent::Kind::Change, *known = device});
            return;
        }
        auto waiting = std::find_if(held.begin(), held.end(), [&](const Held& h) { return SameDevice(h.device, device); });
        if (waiting == held.end()) waiting = held.insert(held.end(), {device, Clock::now()});
        waiting->device = device;
        if (!FacesSettled(device) && Clock::now() - waiting->since < kLongestHold) return;
        events.push_back({DeviceEvent::Kind::Arrival, device});
        announced.push_back(device);
        held.erase(waiting);
    }

    void Publish() const {
        Board& board = TheBoard();
        {
            std::lock_guard lock(board.mutex);
            board.devices = announced;
        }
        board.published.notify_all();
    }
};

DeviceWatch::DeviceWatch(Handler handler) : state_(std::make_unique<State>()) {
    state_->handler = std::move(handler);
    state_->window = host::AllocateHWnd([state = state_.get()](host::TMessage& message) { state->OnMessage(message); });
    win32::DEV_BROADCAST_DEVICEINTERFACE filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = win32::GUID_DEVINTERFACE_USB_DEVICE;
    if (state_->window != nullptr) {
        state_->notification = win32::RegisterDeviceNotificationW(state_->window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    }
    state_->announced = UsbDevices();
    {
        std::lock_guard lock(TheBoard().mutex);
        TheBoard().watchers.insert(std::this_thread::get_id());
    }
    state_->Publish();
}

DeviceWatch::~DeviceWatch() {
    {
        std::lock_guard lock(TheBoard().mutex);
        TheBoard().watchers.erase(TheBoard().watchers.find(std::this_thread::get_id()));
    }
    if (state_->notification != nullptr) win32::UnregisterDeviceNotification(state_->notification);
    if (state_->window == nullptr) return;
    win32::KillTimer(state_->window, kSettleTimer);
    host::FreeObjectInstance(state_->window);
    win32::DestroyWindow(state_->window);
}

const std::vector<UsbDevice>& DeviceWatch::Devices() const { return state_->announced; }

bool DeviceMatch::Matches(const UsbDevice& device) const {
    return (!vendorId || device.vendorId == *vendorId) && (!productId || device.productId == *productId) &&
           (!serial || device.serial == *serial || device.name == *serial) && (!location || device.location == *location) &&
           (!predicate || predicate(device));
}

std::optional<UsbDevice> DeviceMatch::FirstIn(const std::vector<UsbDevice>& devices) const {
    std::size_t seen = 0;
    for (const UsbDevice& device : devices) {
        if (Matches(device) && seen++ == index) return device;
    }
    return std::nullopt;
}

namespace {

// Another thread's watch reads the devices: wait for its readings.
std::optional<UsbDevice> WaitForBoard(const DeviceMatch& match, Clock::time_point deadline) {
    Board& board = TheBoard();
    std::unique_lock lock(board.mutex);
    std::optional<UsbDevice> found;
    board.published.wait_until(lock, deadline, [&] { return (found = match.FirstIn(board.devices)).has_value(); });
    return found;
}

std::optional<UsbDevice> Announced(const DeviceMatch& match) {
    std::lock_guard lock(TheBoard().mutex);
    return match.FirstIn(TheBoard().devices);
}

// This thread's loop turns, a watch of its own serving it if none does, until a reading
// matches or the deadline's timer fires.
std::optional<UsbDevice> WaitOnThisLoop(const DeviceMatch& match, Clock::time_point deadline, bool watched) {
    std::optional<DeviceWatch> own;
    if (!watched) own.emplace();
    // Its WM_TIMER only wakes the loop, which then looks at the clock; the timer goes on until
    // the deadline has passed.
    const win32::HWND clock = host::AllocateHWnd([](host::TMessage&) {});
    const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count() + 1;
    if (clock != nullptr) {
        win32::SetTimer(clock, kDeadlineTimer, static_cast<win32::UINT>(std::clamp<long long>(remaining, 1, 0x7FFFFFFF)), nullptr);
    }
    std::optional<UsbDevice> found;
    while (!(found = Announced(match)) && Clock::now() < deadline && clock != nullptr) {
        win32::MSG message{};
        const win32::BOOL got = win32::GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) win32::PostQuitMessage(static_cast<int>(message.wParam));  // the host's loop ends it
            break;
        }
        win32::TranslateMessage(&message);
        win32::DispatchMessageW(&message);
    }
    if (clock != nullptr) {
        win32::KillTimer(clock, kDeadlineTimer);
        host::FreeObjectInstance(clock);
        win32::DestroyWindow(clock);
    }
    return found;
}

}  // namespace

std::optional<UsbDevice> WaitFor(const DeviceMatch& match, std::chrono::milliseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    bool watchedHere = false;
    bool watchedElsewhere = false;
    {
        std::lock_guard lock(TheBoard().mutex);
        watchedHere = TheBoard().watchers.count(std::this_thread::get_id()) != 0;
        watchedElsewhere = TheBoard().ServedElsewhere(std::this_thread::get_id());
    }
    if (watchedElsewhere && !watchedHere) return WaitForBoard(match, deadline);
    return WaitOnThisLoop(match, deadline, watchedHere);
}

}  // namespace zt::devices
