// Waits for a USB serial adapter, chosen by vendor and product ID or by serial number, and
// prints its COM port as soon as it is there: the component on a thread of its own, for a
// console program without a message loop.
//
//   ztusb_wait_for_adapter [--vid 0403] [--pid 6001] [--serial A50285BI] [--timeout SECONDS]
//                          [--simulate]
//
// Exit codes: 0 found (the port on standard output), 1 not found in time, 2 bad arguments.
// --simulate waits on a simulated workstation where an FTDI adapter arrives.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "examples/this_machine.h"
#include "ztusb/devices/detector_thread.h"
#include "ztusb/host/window_binding.h"
#include "ztusb/sim/workstation.h"
#include "ztusb/wmi/ZtWmiU.h"
#include "ztusb/win32/windows_names.h"

namespace {

using zt::host::String;
using zt_usb_detector::TZtComInfo;
using zt_usb_detector::TZtDetectorEvent;
using zt_usb_detector::TZtUsbDetectorThread;

struct Wanted {
    String vid;  // VID_0403, as the component gives it
    String pid;
    String serial;
    int timeoutSeconds = 60;
    bool simulate = false;

    bool Matches(const TZtComInfo& port) const {
        const auto same = [](const String& wanted, const String& found) {
            return wanted.empty() || zt::host::UpperCase(wanted) == zt::host::UpperCase(found);
        };
        return same(vid, port.VID) && same(pid, port.PID) && same(serial, port.Serial);
    }
};

std::optional<Wanted> Parse(int argc, char** argv) {
    Wanted wanted;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--simulate") {
            wanted.simulate = true;
            continue;
        }
        if (i + 1 == argc) return std::nullopt;
        const String value = zt::host::FromUtf8(argv[++i]);
        if (arg == "--vid") {
            wanted.vid = u"VID_" + value;
        } else if (arg == "--pid") {
            wanted.pid = u"PID_" + value;
        } else if (arg == "--serial") {
            wanted.serial = value;
        } else if (arg == "--timeout") {
            wanted.timeoutSeconds = std::atoi(argv[i]);
        } else {
            return std::nullopt;
        }
    }
    if (wanted.vid.empty() && wanted.pid.empty() && wanted.serial.empty()) return std::nullopt;
    return wanted;
}

// A simulated workstation on the component's thread; posting WM_APP to its window plugs an
// FTDI adapter there, as a user would once the program waits.
class SimulatedDesk {
public:
    SimulatedDesk()
        : previous_(ZtWmiU::SetWmiBackend(station_.WmiBackend())),
          window_(zt::host::AllocateHWnd([this](zt::host::TMessage& message) {
              if (message.Msg == WM_APP) station_.Plug(zt::sim::FtdiAdapter(u"A50285BI", u"COM5"));
          })) {}
    ~SimulatedDesk() {
        zt::host::FreeObjectInstance(window_);
        zt::win32::DestroyWindow(window_);
        ZtWmiU::SetWmiBackend(previous_);
    }
    SimulatedDesk(const SimulatedDesk&) = delete;
    SimulatedDesk& operator=(const SimulatedDesk&) = delete;

    zt::win32::HWND Window() const { return window_; }

private:
    zt::sim::Workstation station_;
    ZtWmiU::WmiBackend previous_;
    zt::win32::HWND window_;
};

std::optional<String> PortOf(const Wanted& wanted, const std::vector<TZtComInfo>& ports) {
    for (const TZtComInfo& port : ports) {
        if (wanted.Matches(port)) return port.sPort;
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<Wanted> wanted = Parse(argc, argv);
    if (!wanted) {
        std::fprintf(stderr, "usage: %s [--vid VID] [--pid PID] [--serial SERIAL] [--timeout SECONDS] [--simulate]\n",
                     argv[0]);
        return 2;
    }
    zt::win32::HWND desk = nullptr;
    TZtUsbDetectorThread detector([&](zt_usb_detector::TZtUsbDetector&) -> std::shared_ptr<void> {
        if (!wanted->simulate) return UseThisMachine();
        auto simulated = std::make_shared<SimulatedDesk>();
        desk = simulated->Window();
        return simulated;
    });

    // Already there? Otherwise each arrival's details come as a NewComInfo event.
    if (const auto port = PortOf(*wanted, detector.GetAvailableComPortsEx())) {
        std::printf("%s\n", zt::host::ToUtf8(*port).c_str());
        return 0;
    }
    if (desk != nullptr) zt::win32::PostMessageW(desk, WM_APP, 0, 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(wanted->timeoutSeconds);
    while (std::chrono::steady_clock::now() < deadline) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        const std::optional<TZtDetectorEvent> event = detector.WaitEvent(left);
        if (!event || event->Kind != TZtDetectorEvent::TKind::NewComInfo) continue;
        if (const auto port = PortOf(*wanted, event->ComInfo)) {
            std::printf("%s\n", zt::host::ToUtf8(*port).c_str());
            return 0;
        }
    }
    std::fprintf(stderr, "no such adapter arrived within %d s\n", wanted->timeoutSeconds);
    return 1;
}
