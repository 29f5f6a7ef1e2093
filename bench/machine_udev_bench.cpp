// This machine's devices through udev, on a umockdev testbed (run under umockdev-wrapper):
// how long a plug takes from its uevent to the component's events, and the COM inventory of
// 100 adapters read through udev against the same over the simulated world.
#include <benchmark/benchmark.h>
#include <umockdev.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include "bench/served_wmi.h"
#include "ztusb/detector/detector_thread.h"
#include "ztusb/detector/zt_usb_detector.h"
#include "ztusb/host/application.h"
#include "ztusb/udev/machine.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string UsbPath(int index) { return "/sys/devices/pci0000:00/0000:00:14.0/usb3/3-" + std::to_string(index); }

// An FT232R adapter on port 3-<index>, as udev describes it.
std::string FtdiAdapter(int index) {
    const std::string usb = UsbPath(index).substr(4);
    const std::string serial = "BENCH" + std::to_string(1000 + index);
    const std::string tty = "ttyUSB" + std::to_string(index);
    return "P: " + usb + "/3-" + std::to_string(index) + ":1.0/" + tty + "/tty/" + tty + "\nN: " + tty +
           "\nE: DEVNAME=/dev/" + tty + "\nE: SUBSYSTEM=tty\n\n"
           "P: " + usb + "/3-" + std::to_string(index) + ":1.0\nE: DEVTYPE=usb_interface\nE: SUBSYSTEM=usb\n"
           "A: bInterfaceNumber=00\n\n"
           "P: " + usb + "\nE: DEVTYPE=usb_device\nE: SUBSYSTEM=usb\nA: bNumInterfaces= 1\n"
           "A: idProduct=6001\nA: idVendor=0403\nA: manufacturer=FTDI\nA: product=FT232R USB UART\n"
           "A: serial=" + serial + "\n";
}

class Testbed {
public:
    Testbed() : testbed_(umockdev_testbed_new()) {}
    ~Testbed() { g_object_unref(testbed_); }
    Testbed(const Testbed&) = delete;
    Testbed& operator=(const Testbed&) = delete;

    void Add(const std::string& text) { umockdev_testbed_add_from_string(testbed_, text.c_str(), nullptr); }
    void Uevent(const std::string& path, const char* action) {
        umockdev_testbed_uevent(testbed_, path.c_str(), action);
    }
    void Remove(const std::string& path) { umockdev_testbed_remove_device(testbed_, path.c_str()); }

    std::filesystem::path NamesFile() const {
        return std::filesystem::temp_directory_path() / "zt-bench-device-names";
    }

private:
    UMockdevTestbed* testbed_;
};

zt::sim::MountTable NoMounts() {
    return {[] { return std::vector<zt::sim::MountedFileSystem>(); },
            [](const std::string&) { return std::optional<zt::sim::FileSystemSpace>(); }};
}

// One plug of an adapter: seconds from its uevent to OnComDetect and to OnNewComInfo.
struct PlugTimes {
    double comDetect = 0;
    double newComInfo = 0;
};

class PlugBench {
public:
    PlugBench() {
        bed_.Add(FtdiAdapter(1));  // so the machine has USB from the start
        world_.emplace(NoMounts(), bed_.NamesFile());
        served_.emplace(world_->Station().WmiBackend());
        world_->Listen();
        detector_.OnComDetect = [this](zt::host::TObject*, const zt::host::String&, std::int32_t inout) {
            if (inout == 1) comDetect_ = Clock::now();
            if (inout == 0) removed_ = true;
        };
        detector_.OnNewComInfo = [this](zt::host::TObject*, std::vector<zt_usb_detector::TZtComInfo>, std::int32_t) {
            newComInfo_ = Clock::now();
        };
        zt::host::ProcessMessages();
    }

    PlugTimes Plug() {
        comDetect_.reset();
        newComInfo_.reset();
        bed_.Add(FtdiAdapter(2));
        const Clock::time_point start = Clock::now();
        bed_.Uevent(UsbPath(2), "add");
        while (!newComInfo_) zt::host::ProcessMessages();
        PlugTimes times{std::chrono::duration<double>(*comDetect_ - start).count(),
                        std::chrono::duration<double>(*newComInfo_ - start).count()};
        removed_ = false;
        bed_.Uevent(UsbPath(2), "remove");
        bed_.Remove(UsbPath(2));
        while (!removed_) zt::host::ProcessMessages();
        return times;
    }

private:
    Testbed bed_;
    std::optional<zt::sim::MachineWorld> world_;
    std::optional<ServedWmi> served_;
    zt_usb_detector::TZtUsbDetector detector_;
    std::optional<Clock::time_point> comDetect_, newComInfo_;
    bool removed_ = false;
};

void BM_UeventToOnComDetect(benchmark::State& state) {
    PlugBench bench;
    for (auto _ : state) state.SetIterationTime(bench.Plug().comDetect);
}
BENCHMARK(BM_UeventToOnComDetect)->UseManualTime()->Iterations(1)->Repetitions(100)
    ->ReportAggregatesOnly()->Unit(benchmark::kMicrosecond);

void BM_UeventToOnNewComInfo(benchmark::State& state) {
    PlugBench bench;
    for (auto _ : state) state.SetIterationTime(bench.Plug().newComInfo);
}
BENCHMARK(BM_UeventToOnNewComInfo)->UseManualTime()->Iterations(1)->Repetitions(100)
    ->ReportAggregatesOnly()->Unit(benchmark::kMicrosecond);

// The same plug with the component on TZtUsbDetectorThread, the machine listened to there:
// from the uevent to the event taken from the class's queue on this thread.
void BM_UeventToHost_DetectorThread(benchmark::State& state) {
    struct Machine {
        explicit Machine(const Testbed& bed) : world(NoMounts(), bed.NamesFile()), served(world.Station().WmiBackend()) {
            world.Listen();
        }
        zt::sim::MachineWorld world;
        ServedWmi served;
    };
    using Kind = zt_usb_detector::TZtDetectorEvent::TKind;
    Testbed bed;
    bed.Add(FtdiAdapter(1));
    zt_usb_detector::TZtUsbDetectorThread thread(
        [&](zt_usb_detector::TZtUsbDetector&) { return std::make_shared<Machine>(bed); });
    const auto awaitPort = [&](std::int32_t inout) {
        while (const auto event = thread.WaitEvent(std::chrono::seconds(5))) {
            if (event->Kind == Kind::ComDetect && event->InOut == inout) return true;
        }
        return false;
    };
    for (auto _ : state) {
        bed.Add(FtdiAdapter(2));
        const Clock::time_point start = Clock::now();
        bed.Uevent(UsbPath(2), "add");
        if (!awaitPort(1)) {
            state.SkipWithError("the arrival did not come");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        bed.Uevent(UsbPath(2), "remove");
        bed.Remove(UsbPath(2));
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
    for (int i = 1; i <= kAdapters; ++i) bed.Add(FtdiAdapter(i));
    zt::sim::MachineWorld world(NoMounts(), bed.NamesFile());
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
