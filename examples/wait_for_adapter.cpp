// Waits for a USB serial adapter, chosen by vendor and product ID or by serial number, and
// prints its port as soon as it is there: the component on a thread of its own, for a
// console program without a message loop, and one call that waits.
//
//   ztusb_wait_for_adapter [--vid 0403] [--pid 6001] [--serial A50285BI] [--timeout SECONDS]
//                          [--simulate]
//
// Exit codes: 0 found (the port on standard output: its path where it has one, else its
// name), 1 not found in time, 2 bad arguments. --simulate waits on a simulated workstation
// where an FTDI adapter arrives.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "ztusb/devices/detector_thread.h"
#include "ztusb/devices/this_machine.h"
#include "ztusb/devices/world_in_use.h"
#include "ztusb/host/window_binding.h"
#include "ztusb/sim/workstation.h"
#include "ztusb/win32/windows_names.h"

namespace {

struct Wanted {
    zt::devices::DeviceMatch match;
    int timeoutSeconds = 60;
    bool simulate = false;
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
        const std::string value = argv[++i];
        if (arg == "--vid") {
            wanted.match.vendorId = static_cast<std::uint16_t>(std::strtoul(value.c_str(), nullptr, 16));
        } else if (arg == "--pid") {
            wanted.match.productId = static_cast<std::uint16_t>(std::strtoul(value.c_str(), nullptr, 16));
        } else if (arg == "--serial") {
            wanted.match.serial = value;
        } else if (arg == "--timeout") {
            wanted.timeoutSeconds = std::atoi(value.c_str());
        } else {
            return std::nullopt;
        }
    }
    if (!wanted.match.vendorId && !wanted.match.productId && !wanted.match.serial) return std::nullopt;
    // An adapter is a device with a port.
    wanted.match.predicate = [](const zt::devices::UsbDevice& device) { return !device.ports.empty(); };
    return wanted;
}

// A simulated workstation on the component's thread; posting WM_APP to its window plugs an
// FTDI adapter there, as a user would once the program waits.
class SimulatedDesk {
public:
    SimulatedDesk()
        : world_(station_), window_(zt::host::AllocateHWnd([this](zt::host::TMessage& message) {
              if (message.Msg == WM_APP) station_.Plug(zt::sim::FtdiAdapter(u"A50285BI", u"COM5"));
          })) {}
    ~SimulatedDesk() {
        zt::host::FreeObjectInstance(window_);
        zt::win32::DestroyWindow(window_);
    }
    SimulatedDesk(const SimulatedDesk&) = delete;
    SimulatedDesk& operator=(const SimulatedDesk&) = delete;

    zt::win32::HWND Window() const { return window_; }

private:
    zt::sim::Workstation station_;
    zt::devices::WorldInUse world_;
    zt::win32::HWND window_;
};

}  // namespace

int main(int argc, char** argv) {
    const std::optional<Wanted> wanted = Parse(argc, argv);
    if (!wanted) {
        std::fprintf(stderr, "usage: %s [--vid VID] [--pid PID] [--serial SERIAL] [--timeout SECONDS] [--simulate]\n",
                     argv[0]);
        return 2;
    }
    zt::win32::HWND desk = nullptr;
    zt_usb_detector::TZtUsbDetectorThread detector([&](zt_usb_detector::TZtUsbDetector&) -> std::shared_ptr<void> {
        if (!wanted->simulate) return zt::devices::UseThisMachine();
        auto simulated = std::make_shared<SimulatedDesk>();
        desk = simulated->Window();
        return simulated;
    });
    if (desk != nullptr) zt::win32::PostMessageW(desk, WM_APP, 0, 0);
    // At once when it is there already; otherwise once it arrived, its port named.
    const auto found = detector.WaitDevice(wanted->match, std::chrono::seconds(wanted->timeoutSeconds));
    if (!found) {
        std::fprintf(stderr, "no such adapter arrived within %d s\n", wanted->timeoutSeconds);
        return 1;
    }
    const auto& port = found->ports.front();
    std::printf("%s\n", (port.path.empty() ? port.name : port.path).c_str());
    return 0;
}
