// A recorded world of N devices: loading it, and querying it as the COM port inventory does.
// Both should grow linearly with N.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/served_wmi.h"
#include "ztusb/testkit/world.h"

namespace {

// Every device a USB serial adapter with its port, as a recording writes them.
std::string Recording(std::int64_t devices) {
    zt::testkit::Json instances = zt::testkit::Json::array();
    zt::testkit::Json ports = zt::testkit::Json::array();
    for (std::int64_t i = 0; i < devices; ++i) {
        const std::string n = std::to_string(i);
        const std::string id = "USB\\VID_1A86&PID_7523\\5&2D6E3B1&0&" + n;
        instances.push_back({{"class", "Win32_PnPEntity"},
                             {"properties", {{"Caption", "USB-SERIAL CH340 (COM" + std::to_string(i + 1) + ")"},
                                             {"CompatibleID", {"USB\\Class_FF&SubClass_01&Prot_02", "USB\\Class_FF"}},
                                             {"ConfigManagerErrorCode", 0},
                                             {"DeviceID", id},
                                             {"Manufacturer", "wch.cn"},
                                             {"PNPDeviceID", id},
                                             {"Present", true}}}});
        ports.push_back({{"name", "\\Device\\Serial" + n}, {"type", "REG_SZ"}, {"data", "COM" + std::to_string(i + 1)}});
    }
    return zt::testkit::Json{{"version", 1}, {"serial_ports", ports}, {"instances", instances}}.dump(1);
}

void BM_LoadRecordedWorld(benchmark::State& state) {
    const std::string text = Recording(state.range(0));
    for (auto _ : state) {
        const zt::testkit::World world = zt::testkit::ParseWorld(text, "bench.json");
        zt::sim::Workstation station;
        zt::testkit::Populate(station, world);
        benchmark::DoNotOptimize(&station);
    }
    state.SetComplexityN(state.range(0));
    state.counters["bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_LoadRecordedWorld)->RangeMultiplier(10)->Range(1000, 10000)->Unit(benchmark::kMillisecond);

void BM_QueryRecordedWorld(benchmark::State& state) {
    const zt::testkit::World world = zt::testkit::ParseWorld(Recording(state.range(0)), "bench.json");
    zt::sim::Workstation station;
    zt::testkit::Populate(station, world);
    const ServedWmi served(station.WmiBackend());
    zt::host::TStringList lines;
    for (auto _ : state) {
        ZtWmiU::DoWmiScript(u"SELECT Caption,DeviceID,Manufacturer FROM Win32_PnPEntity WHERE Caption Like \"%(COM%\" ",
                            lines);
        benchmark::DoNotOptimize(lines.Count());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_QueryRecordedWorld)->RangeMultiplier(10)->Range(1000, 10000)->Unit(benchmark::kMillisecond);

}  // namespace
