// The volume inventory over N removable drives in the simulated world.
#include <benchmark/benchmark.h>

#include "detector/zt_usb_detector.h"
#include "sim/workstation.h"
#include "bench/served_wmi.h"

namespace {

using zt::host::String;

void BM_VolumeInventory(benchmark::State& state) {
    zt::sim::Workstation station;
    for (std::int64_t i = 0; i < state.range(0); ++i) {
        const String number = zt::host::FromAnsi(std::to_string(i));
        // Drive letters repeat past Z; the repository only needs unique volume keys.
        station.Attach(zt::sim::UsbStick(u"SERIAL" + number, static_cast<std::uint32_t>(i + 1),
                                         {{u"V" + number + u":", u"FAT32", 1000, 500, u"STICK", u"1"}}));
    }
    const ServedWmi served(station.WmiBackend());
    zt_usb_detector::TZtUsbDetector detector;
    std::int32_t volumes = 0;
    for (auto _ : state) volumes = detector.GetAvailableVolumens();
    state.SetComplexityN(state.range(0));
    state.counters["volumes"] = volumes;
}
BENCHMARK(BM_VolumeInventory)
    ->RangeMultiplier(10)
    ->Range(10, 1000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

}  // namespace
