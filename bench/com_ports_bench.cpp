// The WMI line scan of the COM port list over N ports: it should grow linearly with N.
#include <benchmark/benchmark.h>

#include <string>

#include "detector/zt_usb_detector.h"
#include "sim/cim_repository.h"
#include "bench/served_wmi.h"

namespace {

using zt::host::String;

void BM_ComPortListScan(benchmark::State& state) {
    // The object texts are made once, so the figure is the runner's lines and the scan.
    zt::sim::CimRepository cim;
    for (std::int64_t i = 1; i <= state.range(0); ++i) {
        const String serial = u"FT" + zt::host::FromAnsi(std::to_string(i));
        const String id = u"FTDIBUS\\VID_0403+PID_6001+" + serial + u"A\\0000";
        cim.Add(u"Win32_PnPEntity",
                {{u"Caption", u"USB Serial Port (COM" + zt::host::FromAnsi(std::to_string(i)) + u")"},
                 {u"DeviceID", id},
                 {u"Manufacturer", u"FTDI"}});
    }
    const auto texts = cim.Query(
        u"SELECT Caption,DeviceID,Manufacturer FROM Win32_PnPEntity WHERE Caption Like \"%(COM%\" ");
    const ServedWmi served([&texts](const String&) { return texts; });
    zt_usb_detector::TZtUsbDetector detector;
    std::int32_t ports = 0;
    for (auto _ : state) ports = detector.GetAvailableComPortsEx();
    state.SetComplexityN(state.range(0));
    state.counters["ports"] = ports;
}
BENCHMARK(BM_ComPortListScan)
    ->RangeMultiplier(10)
    ->Range(100, 10000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

}  // namespace
