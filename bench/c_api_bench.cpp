// The C interface's COM port inventory of a world of 1,000 simulated adapters, against the
// C++ inquiry over the same world on the component's thread, alone and with the device
// records the C call joins in: what the plain records cost.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "ztusb/devices/detector_thread.h"
#include "ztusb/devices/world_in_use.h"
#include "ztusb/testkit/test_world.h"
#include "ztusb/ztusb.h"

namespace {

constexpr int kPorts = 1000;

// A world file of adapters, one a port, written once.
const std::string& WorldFile() {
    static const std::string path = [] {
        const auto file = std::filesystem::temp_directory_path() / "zt-bench-1000-ports.json";
        std::ofstream out(file);
        out << "{\"devices\": [";
        for (int i = 1; i <= kPorts; ++i) {
            out << (i > 1 ? ",\n" : "\n") << R"({"id": "a)" << i << R"(", "kind": "ftdi", "serial": "BENCH)" << 10000 + i
                << R"(", "port": "COM)" << i << R"(", "attached": true})";
        }
        out << "]}\n";
        return file.string();
    }();
    return path;
}

void BM_ComPortsThroughTheCInterface(benchmark::State& state) {
    ztusb_context* context = nullptr;
    if (ztusb_open_world(WorldFile().c_str(), &context) != ZTUSB_SUCCESS) {
        state.SkipWithError(ztusb_last_error());
        return;
    }
    std::size_t ports = 0;
    for (auto _ : state) {
        ztusb_com_port_list* list = nullptr;
        ztusb_com_ports(context, &list);
        ports = list->count;
        ztusb_free_com_port_list(list);
    }
    state.counters["ports"] = static_cast<double>(ports);
    ztusb_close(context);
}
BENCHMARK(BM_ComPortsThroughTheCInterface)->Unit(benchmark::kMillisecond);

std::shared_ptr<void> UseWorldFile(zt_usb_detector::TZtUsbDetector&) {
    struct World {
        zt::testkit::TestWorld world = zt::testkit::TestWorld::Load(WorldFile());
        zt::devices::WorldInUse inUse{world.Station()};
    };
    return std::make_shared<World>();
}

void BM_ComPortsThroughTheCppThread(benchmark::State& state) {
    zt_usb_detector::TZtUsbDetectorThread thread(UseWorldFile);
    std::size_t ports = 0;
    for (auto _ : state) ports = thread.GetAvailableComPortsEx().size();
    state.counters["ports"] = static_cast<double>(ports);
}
BENCHMARK(BM_ComPortsThroughTheCppThread)->Unit(benchmark::kMillisecond);

// What the C call asks of the thread: the inventory and the device records that give each
// port its location and interface.
void BM_ComPortsWithDevicesThroughTheCppThread(benchmark::State& state) {
    zt_usb_detector::TZtUsbDetectorThread thread(UseWorldFile);
    std::size_t ports = 0;
    for (auto _ : state) {
        ports = thread.GetAvailableComPortsEx().size();
        benchmark::DoNotOptimize(thread.UsbDevices());
    }
    state.counters["ports"] = static_cast<double>(ports);
}
BENCHMARK(BM_ComPortsWithDevicesThroughTheCppThread)->Unit(benchmark::kMillisecond);

}  // namespace
