// This machine's devices through udev, on a umockdev testbed (run under umockdev-wrapper):
// how long a plug takes from its uevents to the component's events with few or many adapters
// attached, a hub of adapters arriving at once, and the COM inventory of 100 adapters read
// through udev against the same over the simulated world.
#include <benchmark/benchmark.h>
#include <umockdev.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include "bench/served_wmi.h"
#include "ztusb/devices/detector_thread.h"
#include "ztusb/devices/device_watch.h"
#include "ztusb/devices/devices.h"
#include "ztusb/devices/machine_source.h"
#include "ztusb/win32/device_tree.h"
#include "ztusb/detector/zt_usb_detector.h"
#include "ztusb/host/application.h"
#include "ztusb/udev/machine.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kRootHub[] = "/devices/pci0000:00/0000:00:14.0/usb3";

// The root hub: a USB device without ports, so that the machine has USB with no adapter.
std::string RootHub() {
    return std::string("P: ") + kRootHub + "\nE: DEVTYPE=usb_device\nE: SUBSYSTEM=usb\nA: bNumInterfaces= 1\n"
           "A: idProduct=0003\nA: idVendor=1d6b\nA: product=xHCI Host Controller\n";
}

// The sysfs path (without /sys) of the USB device on a port (3-7, or 3-9.4 behind a hub),
// under its parent's directory.
std::string DevicePath(const std::string& port) {
    const auto hub = port.find_last_of('.');
    return hub == std::string::npos ? std::string(kRootHub) + "/" + port : DevicePath(port.substr(0, hub)) + "/" + port;
}

std::string TtyPath(const std::string& port, int tty) {
    return DevicePath(port) + "/" + port + ":1.0/ttyUSB" + std::to_string(tty) + "/tty/ttyUSB" + std::to_string(tty);
}

// An FT232R adapter on a port, its tty numbered `tty`, as udev describes it. umockdev keeps
// a tty's node after the tty is removed: each plug takes a number of its own.
std::string FtdiAdapter(const std::string& port, int tty) {
    const std::string usb = DevicePath(port);
    const std::string name = "ttyUSB" + std::to_string(tty);
    return "P: " + TtyPath(port, tty) + "\nN: " + name + "\nE: DEVNAME=/dev/" + name + "\nE: SUBSYSTEM=tty\n\n"
           "P: " + usb + "/" + port + ":1.0\nE: DEVTYPE=usb_interface\nE: SUBSYSTEM=usb\n"
           "A: bInterfaceNumber=00\n\n"
           "P: " + usb + "\nE: DEVTYPE=usb_device\nE: SUBSYSTEM=usb\nA: bNumInterfaces= 1\n"
           "A: idProduct=6001\nA: idVendor=0403\nA: manufacturer=FTDI\nA: product=FT232R USB UART\n"
           "A: serial=BENCH" + port + "\n";
}

// A 16-port hub on a port of the root hub.
std::string Hub(const std::string& port) {
    return "P: " + DevicePath(port) + "/" + port + ":1.0\nE: DEVTYPE=usb_interface\nE: SUBSYSTEM=usb\n"
           "A: bInterfaceNumber=00\n\n"
           "P: " + DevicePath(port) + "\nE: DEVTYPE=usb_device\nE: SUBSYSTEM=usb\nA: bNumInterfaces= 1\n"
           "A: idProduct=5411\nA: idVendor=0bda\nA: product=USB2.1 Hub\n";
}

std::string AdapterPort(int index) { return "3-" + std::to_string(index); }

// umockdev sends the kernel's add event of each device added (in the order described) and
// a remove event only when told.
class Testbed {
public:
    // `takeIn` runs the message loop once, taking in the events sent.
    explicit Testbed(std::function<void()> takeIn = zt::host::ProcessMessages)
        : testbed_(umockdev_testbed_new()), takeIn_(std::move(takeIn)) {
        Add(RootHub());
    }
    ~Testbed() { g_object_unref(testbed_); }
    Testbed(const Testbed&) = delete;
    Testbed& operator=(const Testbed&) = delete;

    void Add(const std::string& text) {
        std::size_t devices = 0;
        for (auto at = text.find("P: "); at != std::string::npos; at = text.find("\nP: ", at + 1)) ++devices;
        Queue(devices);
        umockdev_testbed_add_from_string(testbed_, text.c_str(), nullptr);
    }

    // An adapter's tty, interface and device, each removed after its event, the way the
    // kernel does (umockdev does not remove a device's children with it).
    void Unplug(const std::string& port, int tty) {
        for (const std::string& path : {TtyPath(port, tty), DevicePath(port) + "/" + port + ":1.0", DevicePath(port)}) {
            Remove(path);
        }
    }
    void Remove(const std::string& path) {
        Queue(1);
        umockdev_testbed_uevent(testbed_, ("/sys" + path).c_str(), "remove");
        umockdev_testbed_remove_device(testbed_, ("/sys" + path).c_str());
    }

    UMockdevTestbed* Handle() { return testbed_; }

    // The events sent so far have all been taken in by the message loop.
    void TakenIn() { queued_ = 0; }

    std::filesystem::path NamesFile() const {
        return std::filesystem::temp_directory_path() / "zt-bench-device-names";
    }

private:
    // umockdev's socket holds no more datagrams than net.unix.max_dgram_qlen (10 by default):
    // before it is full, the message loop takes the events in, as a busy machine's would.
    void Queue(std::size_t events) {
        constexpr std::size_t kQueueLength = 10;
        if (queued_ + events > kQueueLength) {
            takeIn_();
            queued_ = 0;
        }
        queued_ += events;
    }

    UMockdevTestbed* testbed_;
    std::function<void()> takeIn_;
    std::size_t queued_ = 0;
};

zt::udev::MountTable NoMounts() {
    return {[] { return std::vector<zt::udev::MountedFileSystem>(); },
            [](const std::string&) { return std::optional<zt::udev::FileSystemSpace>(); },
            {}};
}

// Seconds the message loop worked from the first uevent to the last OnComDetect and to the
// last port's OnNewComInfo; the testbed's own time to make the devices is not counted.
struct PlugTimes {
    double comDetect = 0;
    double newComInfo = 0;
};

// A machine with `attached` adapters on the root hub, listening, and a component hearing it.
class PlugBench {
public:
    explicit PlugBench(int attached) {
        for (int i = 1; i <= attached; ++i) bed_.Add(FtdiAdapter(AdapterPort(i), i));
        world_.emplace(NoMounts(), bed_.NamesFile());
        served_.emplace(world_->Station().WmiBackend());
        world_->Listen();
        detector_.OnComDetect = [this](zt::host::TObject*, const zt::host::String&, std::int32_t inout) {
            if (inout == 1) comDetect_ = Worked();
            if (inout == 0) ++removed_;
        };
        detector_.OnNewComInfo = [this](zt::host::TObject*, std::vector<zt_usb_detector::TZtComInfo>,
                                        std::int32_t count) {
            heard_ += count;
            newComInfo_ = Worked();
        };
        zt::host::ProcessMessages();
    }

    // One adapter plugged on a free port of the root hub, and pulled again.
    PlugTimes Plug() {
        const std::string port = AdapterPort(200);
        const int tty = nextTty_++;
        const PlugTimes times = Heard(1, [&] { bed_.Add(FtdiAdapter(port, tty)); });
        Pulled(1, [&] { bed_.Unplug(port, tty); });
        return times;
    }

    // A hub with an adapter on each of its 16 ports plugged at once, and pulled again.
    PlugTimes PlugHub() {
        const std::string hub = AdapterPort(300);
        const int firstTty = nextTty_;
        nextTty_ += kHubPorts;
        const PlugTimes times = Heard(kHubPorts, [&] {
            bed_.Add(Hub(hub));
            for (int i = 1; i <= kHubPorts; ++i) bed_.Add(FtdiAdapter(HubPort(hub, i), firstTty + i));
        });
        Pulled(kHubPorts, [&] {
            for (int i = kHubPorts; i >= 1; --i) bed_.Unplug(HubPort(hub, i), firstTty + i);
            bed_.Remove(DevicePath(hub) + "/" + hub + ":1.0");
            bed_.Remove(DevicePath(hub));
        });
        return times;
    }

    static constexpr int kHubPorts = 16;

private:
    static std::string HubPort(const std::string& hub, int port) { return hub + "." + std::to_string(port); }

    void TakeIn() {
        taking_ = Clock::now();
        zt::host::ProcessMessages();
        worked_ += Clock::now() - taking_;
    }
    double Worked() const { return std::chrono::duration<double>(worked_ + (Clock::now() - taking_)).count(); }

    template <typename Events>
    PlugTimes Heard(int ports, Events events) {
        heard_ = 0;
        worked_ = {};
        events();
        while (heard_ < ports) TakeIn();
        bed_.TakenIn();
        return {comDetect_, newComInfo_};
    }

    template <typename Events>
    void Pulled(int ports, Events events) {
        removed_ = 0;
        events();
        while (removed_ < ports) TakeIn();
        bed_.TakenIn();
    }

    Testbed bed_{[this] { TakeIn(); }};
    std::optional<zt::udev::MachineWorld> world_;
    std::optional<ServedWmi> served_;
    zt_usb_detector::TZtUsbDetector detector_;
    Clock::time_point taking_;
    Clock::duration worked_{};
    double comDetect_ = 0, newComInfo_ = 0;
    int heard_ = 0;
    int removed_ = 0;
    int nextTty_ = 1000;
};

void BM_UeventToOnComDetect(benchmark::State& state) {
    PlugBench bench(static_cast<int>(state.range(0)));
    for (auto _ : state) state.SetIterationTime(bench.Plug().comDetect);
}
BENCHMARK(BM_UeventToOnComDetect)->ArgName("attached")->Arg(0)->Arg(10)->Arg(100)->UseManualTime()
    ->Iterations(50)->Unit(benchmark::kMicrosecond);

void BM_UeventToOnNewComInfo(benchmark::State& state) {
    PlugBench bench(static_cast<int>(state.range(0)));
    for (auto _ : state) state.SetIterationTime(bench.Plug().newComInfo);
}
BENCHMARK(BM_UeventToOnNewComInfo)->ArgName("attached")->Arg(0)->Arg(10)->Arg(100)->UseManualTime()
    ->Iterations(50)->Unit(benchmark::kMicrosecond);

// A hub of 16 adapters arriving at once: until the 16th port's OnNewComInfo.
void BM_HubOf16ToLastOnNewComInfo(benchmark::State& state) {
    PlugBench bench(static_cast<int>(state.range(0)));
    for (auto _ : state) state.SetIterationTime(bench.PlugHub().newComInfo);
}
BENCHMARK(BM_HubOf16ToLastOnNewComInfo)->ArgName("attached")->Arg(0)->Arg(100)->UseManualTime()
    ->Iterations(10)->Unit(benchmark::kMicrosecond);

// The same plug with the component on TZtUsbDetectorThread, the machine listened to there:
// from the adapter's arrival on the testbed (umockdev sends its uevents) to the event taken
// from the class's queue on this thread.
void BM_UeventToHost_DetectorThread(benchmark::State& state) {
    struct Machine {
        explicit Machine(const Testbed& bed) : world(NoMounts(), bed.NamesFile()), served(world.Station().WmiBackend()) {
            world.Listen();
        }
        zt::udev::MachineWorld world;
        ServedWmi served;
    };
    using Kind = zt_usb_detector::TZtDetectorEvent::TKind;
    Testbed bed([] {});  // the component's thread takes the events in as they come
    zt_usb_detector::TZtUsbDetectorThread thread(
        [&](zt_usb_detector::TZtUsbDetector&) { return std::make_shared<Machine>(bed); });
    const auto awaitPort = [&](std::int32_t inout) {
        while (const auto event = thread.WaitEvent(std::chrono::seconds(5))) {
            if (event->Kind == Kind::ComDetect && event->InOut == inout) return true;
        }
        return false;
    };
    const std::string port = AdapterPort(200);
    int tty = 0;
    for (auto _ : state) {
        ++tty;
        const Clock::time_point start = Clock::now();
        bed.Add(FtdiAdapter(port, tty));
        if (!awaitPort(1)) {
            state.SkipWithError("the arrival did not come");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        bed.Unplug(port, tty);
        awaitPort(0);
    }
}
BENCHMARK(BM_UeventToHost_DetectorThread)->UseManualTime()->Iterations(1)->Repetitions(100)
    ->ReportAggregatesOnly()->Unit(benchmark::kMicrosecond);

constexpr int kAdapters = 100;

// The machine read through udev (every adapter's sysfs and properties), then the COM port
// inventory over what it mirrored.
void BM_InventoryThroughUdev(benchmark::State& state) {
    Testbed bed;
    for (int i = 1; i <= kAdapters; ++i) bed.Add(FtdiAdapter(AdapterPort(i), i));
    zt::udev::MachineWorld world(NoMounts(), bed.NamesFile());
    const ServedWmi served(world.Station().WmiBackend());
    zt_usb_detector::TZtUsbDetector detector;
    std::int32_t ports = 0;
    for (auto _ : state) {
        world.Refresh();
        ports = detector.GetAvailableComPortsEx();
    }
    state.counters["ports"] = ports;
}
BENCHMARK(BM_InventoryThroughUdev)->Unit(benchmark::kMillisecond);

// The device records of the same machine, read again each time: against the COM inventory.
void BM_DeviceInventoryThroughUdev(benchmark::State& state) {
    Testbed bed;
    for (int i = 1; i <= kAdapters; ++i) bed.Add(FtdiAdapter(AdapterPort(i), i));
    zt::udev::MachineWorld world(NoMounts(), bed.NamesFile());
    const auto source = zt::devices::SetDeviceSource(zt::devices::MachineDeviceSource(world));
    std::size_t devices = 0;
    for (auto _ : state) {
        world.Refresh();
        devices = zt::devices::UsbDevices().size();
    }
    state.counters["devices"] = static_cast<double>(devices);
    zt::devices::SetDeviceSource(source);
}
BENCHMARK(BM_DeviceInventoryThroughUdev)->Unit(benchmark::kMillisecond);

// A mount table the bench writes: the board's volume mounted when it says.
class BenchMounts {
public:
    BenchMounts() : changes_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC), POLLIN) {}
    zt::udev::MountTable Table() {
        return {[this] {
                    std::uint64_t taken = 0;
                    [[maybe_unused]] const auto read_ = read(changes_.Descriptor(), &taken, sizeof taken);
                    return mounted_;
                },
                [](const std::string&) { return std::optional<zt::udev::FileSystemSpace>({573440, 560000}); },
                changes_};
    }
    void Set(std::vector<zt::udev::MountedFileSystem> mounted) {
        mounted_ = std::move(mounted);
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = write(changes_.Descriptor(), &one, sizeof one);
    }

private:
    zt::udev::MountTableWatch changes_;
    std::vector<zt::udev::MountedFileSystem> mounted_;
};

// An ST-Link board (a port and a disk) plugged in, its volume mounted last, as the desktop
// does: from that last event to the board's one device arrival.
void BM_BoardLastEventToDeviceArrival(benchmark::State& state) {
    Testbed bed;
    umockdev_testbed_add_from_file(bed.Handle(), ZT_UDEV_DEVICES "/host_controller.umockdev", nullptr);
    BenchMounts mounts;
    zt::udev::MachineWorld world(mounts.Table(), bed.NamesFile());
    const ServedWmi served(world.Station().WmiBackend());
    const auto tree = zt::win32::SetDeviceTree(world.Station().DeviceTreeBackend());
    const auto source = zt::devices::SetDeviceSource(zt::devices::MachineDeviceSource(world));
    world.Listen();
    std::optional<Clock::time_point> arrived;
    bool removed = false;
    zt::devices::DeviceWatch watch([&](const zt::devices::DeviceEvent& event) {
        if (event.kind == zt::devices::DeviceEvent::Kind::Arrival) arrived = Clock::now();
        if (event.kind == zt::devices::DeviceEvent::Kind::Removal) removed = true;
    });
    const std::string board = "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-7";
    const auto pumpUntil = [](const auto& done) {
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (!done() && Clock::now() < deadline) zt::host::ProcessMessages();
        return done();
    };
    for (auto _ : state) {
        arrived.reset();
        removed = false;
        umockdev_testbed_add_from_file(bed.Handle(), ZT_UDEV_DEVICES "/stlink.umockdev", nullptr);
        umockdev_testbed_uevent(bed.Handle(), board.c_str(), "add");
        const auto settle = Clock::now() + std::chrono::milliseconds(100);
        pumpUntil([&] { return Clock::now() >= settle; });
        const Clock::time_point mounted = Clock::now();
        mounts.Set({{"/dev/sde", "/media/user/NODE_F446RE"}});
        if (!pumpUntil([&] { return arrived.has_value(); })) {
            state.SkipWithError("the board did not arrive");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(*arrived - mounted).count());
        mounts.Set({});
        umockdev_testbed_uevent(bed.Handle(), board.c_str(), "remove");
        umockdev_testbed_remove_device(bed.Handle(), board.c_str());
        pumpUntil([&] { return removed; });
    }
    zt::devices::SetDeviceSource(source);
    zt::win32::SetDeviceTree(tree);
}
BENCHMARK(BM_BoardLastEventToDeviceArrival)->UseManualTime()->Iterations(1)->Repetitions(10)
    ->ReportAggregatesOnly()->Unit(benchmark::kMillisecond);

// The same inventory over the simulated world's models of the same adapters.
void BM_InventoryOverSimulatedWorld(benchmark::State& state) {
    zt::sim::Workstation station;
    for (int i = 1; i <= kAdapters; ++i) {
        station.Attach(zt::sim::FtdiAdapter(zt::host::FromAnsi("BENCH" + std::to_string(1000 + i)),
                                            zt::host::FromAnsi("COM" + std::to_string(i))));
    }
    const ServedWmi served(station.WmiBackend());
    zt_usb_detector::TZtUsbDetector detector;
    std::int32_t ports = 0;
    for (auto _ : state) ports = detector.GetAvailableComPortsEx();
    state.counters["ports"] = ports;
}
BENCHMARK(BM_InventoryOverSimulatedWorld)->Unit(benchmark::kMillisecond);

}  // namespace
