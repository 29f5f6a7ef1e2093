// A SELECT over N PnP entities through DoWmiScript and the simulated world: the cost
// should grow linearly with N.
#include <benchmark/benchmark.h>

#include <string>

#include "ztusb/world/cim_repository.h"
#include "bench/served_wmi.h"

namespace {

using zt::host::String;

String Number(std::int64_t n) { return zt::host::FromAnsi(std::to_string(n)); }

// Every tenth entity is a COM port, like a workstation with many other devices.
void Populate(zt::world::CimRepository& cim, std::int64_t entities) {
    for (std::int64_t i = 0; i < entities; ++i) {
        const String id = u"USB\\VID_0403&PID_6001\\DEV" + Number(i);
        const String caption =
            i % 10 == 0 ? u"USB Serial Port (COM" + Number(i / 10 + 1) + u")" : u"USB Input Device";
        cim.Add(u"Win32_PnPEntity", {{u"Caption", caption},
                                     {u"DeviceID", id},
                                     {u"Manufacturer", u"FTDI"},
                                     {u"PNPDeviceID", id}});
    }
}

void BM_SelectComPortsThroughDoWmiScript(benchmark::State& state) {
    zt::world::CimRepository cim;
    Populate(cim, state.range(0));
    const ServedWmi served([&cim](const String& query) { return cim.Query(query); });
    const String query =
        u"SELECT Caption,DeviceID,Manufacturer FROM Win32_PnPEntity WHERE Caption Like \"%(COM%\" ";
    zt::host::TStringList lines;
    for (auto _ : state) {
        lines.Clear();
        ZtWmiU::DoWmiScript(query, lines);
        benchmark::DoNotOptimize(lines.Count());
    }
    state.SetComplexityN(state.range(0));
    state.counters["lines"] = lines.Count();
}
BENCHMARK(BM_SelectComPortsThroughDoWmiScript)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace
