// The WMI line scan of the COM port list over N ports: it should grow linearly with N. And the
// WMI queries of the new-port inquiries behind a hub: they should not grow with the devices
// attached before.
#include <benchmark/benchmark.h>

#include <optional>
#include <string>
#include <vector>

#include "ztusb/detector/zt_usb_detector.h"
#include "ztusb/host/application.h"
#include "ztusb/world/cim_repository.h"
#include "ztusb/sim/workstation.h"
#include "bench/served_wmi.h"

namespace {

using zt::host::String;

// The answer WMI gives for N FTDI ports.
std::optional<std::vector<String>> FtdiPortAnswer(std::int64_t ports) {
    zt::world::CimRepository cim;
    for (std::int64_t i = 1; i <= ports; ++i) {
        const String serial = u"FT" + zt::host::FromAnsi(std::to_string(i));
        const String id = u"FTDIBUS\\VID_0403+PID_6001+" + serial + u"A\\0000";
        cim.Add(u"Win32_PnPEntity",
                {{u"Caption", u"USB Serial Port (COM" + zt::host::FromAnsi(std::to_string(i)) + u")"},
                 {u"DeviceID", id},
                 {u"Manufacturer", u"FTDI"}});
    }
    return cim.Query(
        u"SELECT Caption,DeviceID,Manufacturer FROM Win32_PnPEntity WHERE Caption Like \"%(COM%\" ");
}

void BM_ComPortListScan(benchmark::State& state) {
    // The object texts are made once, so the figure is the runner's lines and the scan.
    const auto texts = FtdiPortAnswer(state.range(0));
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

// The least work that grows with the answer, a copy of its texts: how this machine's caches
// alone make the scan's larger steps cost more than ten times the smaller.
void BM_ComPortAnswerCopy(benchmark::State& state) {
    const auto texts = FtdiPortAnswer(state.range(0));
    for (auto _ : state) {
        auto copy = texts;
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(BM_ComPortAnswerCopy)->RangeMultiplier(10)->Range(100, 10000)->Unit(benchmark::kMicrosecond);

String Number(std::int64_t value) { return zt::host::FromAnsi(std::to_string(value)); }

// N USB devices already attached, then a hub whose 16 adapters arrive one after another, each
// handled by the message loop before the next: the figure is the queries of the 16 inquiries.
void BM_NewPortQueriesBehindAHub(benchmark::State& state) {
    constexpr int kAdapters = 16;
    std::int64_t queries = 0;
    for (auto _ : state) {
        state.PauseTiming();
        zt::sim::Workstation station;
        const ServedWmi served([&](const String& query) {
            ++queries;
            return station.Cim().Query(query);
        });
        zt_usb_detector::TZtUsbDetector detector;
        for (std::int64_t i = 0; i < state.range(0); ++i) {
            station.Plug(zt::sim::UsbDevice(u"VID_046D&PID_C077", u"6&3a5b2c1d&0&" + Number(i),
                                            u"USB Input Device"));
        }
        station.Plug(zt::sim::UsbDevice(u"VID_05E3&PID_0610", u"5&1f0e2d3c&0&4", u"Generic USB Hub"));
        zt::host::ProcessMessages();
        queries = 0;
        state.ResumeTiming();
        for (int i = 0; i < kAdapters; ++i) {
            station.Plug(zt::sim::Ch340Adapter(u"7&2a8c4d3e&0&" + Number(i), u"COM" + Number(20 + i)));
            zt::host::ProcessMessages();
        }
    }
    state.counters["queries"] = static_cast<double>(queries);
}
BENCHMARK(BM_NewPortQueriesBehindAHub)->Arg(0)->Arg(16)->Unit(benchmark::kMillisecond);

}  // namespace
