// The volume inventory over N removable drives in the simulated world, and the WMI queries
// of one new-volume inquiry among other listed USB devices.
#include <benchmark/benchmark.h>

#include "ztusb/detector/zt_usb_detector.h"
#include "ztusb/host/application.h"
#include "ztusb/world/broadcast.h"
#include "ztusb/sim/workstation.h"
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

// range(0) other USB devices listed; range(1) 1 when they arrived after the stick, so that the
// request names one of them rather than the stick.
void BM_NewVolumeQueries(benchmark::State& state) {
    zt::sim::Workstation station;
    const auto stick = zt::sim::UsbStick(u"4C530001230417117364", 1,
                                         {{u"E:", u"FAT32", 1000, 500, u"STICK", u"1"}});
    station.Attach(stick);
    station.Attach(zt::sim::ExternalHardDisk(u"57584A314131", 2,
                                             {{u"G:", u"NTFS", 2000, 900, u"BACKUP", u"2"}}));
    std::int64_t queries = 0;
    const auto backend = station.WmiBackend();
    const ServedWmi served([&](const String& query) {
        ++queries;
        return backend(query);
    });
    zt_usb_detector::TZtUsbDetector detector;
    std::int32_t volumes = 0;
    detector.OnNewVolInfo = [&](zt::host::TObject*, std::vector<zt_usb_detector::TZtVolInfo>,
                                std::int32_t count) { volumes = count; };
    const auto arrive = [](const String& name) {
        zt::sim::BroadcastDeviceChange(
            DBT_DEVICEARRIVAL, zt::sim::DeviceInterfaceRecord(
                                   name, zt_usb_detector::GUID_DEVINTERFACE_USB_DEVICE));
    };
    const bool othersAfter = state.range(1) == 1;
    if (othersAfter) arrive(stick.interfaceName);
    for (std::int64_t i = 0; i < state.range(0); ++i) {
        arrive(u"\\\\?\\USB#VID_05E3&PID_0610#HUB" + zt::host::FromAnsi(std::to_string(i)) + u"#{x}");
    }
    if (!othersAfter) arrive(stick.interfaceName);
    const auto volume = zt::sim::VolumeRecord(zt::sim::UnitMask(stick));
    for (auto _ : state) {
        zt::sim::BroadcastDeviceChange(DBT_DEVICEARRIVAL, volume);
        zt::host::ProcessMessages();
    }
    state.counters["queries"] =
        static_cast<double>(queries) / static_cast<double>(state.iterations());
    state.counters["volumes"] = volumes;
}
BENCHMARK(BM_NewVolumeQueries)
    ->ArgsProduct({{0, 16}, {0, 1}})
    ->ArgNames({"others", "after"})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
