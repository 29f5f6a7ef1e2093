// The volume inventory over N removable drives in the simulated world, and the WMI queries
// of one new-volume inquiry among other listed USB devices and other attached drives.
#include <benchmark/benchmark.h>

#include "ztusb/detector/zt_usb_detector.h"
#include "ztusb/host/application.h"
#include "ztusb/world/broadcast.h"
#include "ztusb/sim/workstation.h"
#include "bench/served_wmi.h"
#include "ztusb/win32/windows_names.h"

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

// A broadcast of the device's letters, and the inquiry it leads to, once an iteration; the
// other USB devices are listed before it, or after it when range(1) is 1, so that the request
// names one of them.
void ArriveAgainAndAgain(benchmark::State& state, const zt::sim::StorageDevice& device,
                         const std::vector<String>& others, const CountedWmi& wmi) {
    zt_usb_detector::TZtUsbDetector detector;
    std::int32_t volumes = 0;
    detector.OnNewVolInfo = [&](zt::host::TObject*, std::vector<zt_usb_detector::TZtVolInfo>,
                                std::int32_t count) { volumes = count; };
    const auto arrive = [](const String& name) {
        zt::world::BroadcastDeviceChange(
            DBT_DEVICEARRIVAL, zt::world::DeviceInterfaceRecord(
                                   name, zt_usb_detector::GUID_DEVINTERFACE_USB_DEVICE));
    };
    const bool othersAfter = state.range(1) == 1;
    if (othersAfter) arrive(device.interfaceName);
    for (const String& other : others) arrive(other);
    if (!othersAfter) arrive(device.interfaceName);
    const auto volume = zt::world::VolumeRecord(zt::sim::UnitMask(device));
    const std::int64_t before = wmi.Queries();
    for (auto _ : state) {
        zt::world::BroadcastDeviceChange(DBT_DEVICEARRIVAL, volume);
        zt::host::ProcessMessages();
    }
    state.counters["queries"] =
        static_cast<double>(wmi.Queries() - before) / static_cast<double>(state.iterations());
    state.counters["volumes"] = volumes;
}

// A stick among range(0) other USB devices listed.
void BM_NewVolumeQueries(benchmark::State& state) {
    zt::sim::Workstation station;
    const auto stick = zt::sim::UsbStick(u"4C530001230417117364", 1,
                                         {{u"E:", u"FAT32", 1000, 500, u"STICK", u"1"}});
    station.Attach(stick);
    station.Attach(zt::sim::ExternalHardDisk(u"57584A314131", 2,
                                             {{u"G:", u"NTFS", 2000, 900, u"BACKUP", u"2"}}));
    std::vector<String> hubs;
    for (std::int64_t i = 0; i < state.range(0); ++i) {
        hubs.push_back(u"\\\\?\\USB#VID_05E3&PID_0610#HUB" + zt::host::FromAnsi(std::to_string(i)) + u"#{x}");
    }
    const CountedWmi wmi(station.WmiBackend());
    ArriveAgainAndAgain(state, stick, hubs, wmi);
}
BENCHMARK(BM_NewVolumeQueries)
    ->ArgsProduct({{0, 16}, {0, 1}})
    ->ArgNames({"others", "after"})
    ->Unit(benchmark::kMicrosecond);

// A UASP drive, whose device ID does not hold the name the request carries, among range(0)
// other sticks attached and listed.
void BM_UaspNewVolumeQueries(benchmark::State& state) {
    zt::sim::Workstation station;
    std::vector<String> sticks;
    for (std::int64_t i = 0; i < state.range(0); ++i) {
        const String number = zt::host::FromAnsi(std::to_string(i));
        const auto stick = zt::sim::UsbStick(u"OTHER" + number, static_cast<std::uint32_t>(10 + i),
                                             {{String(1, static_cast<char16_t>(u'H' + i)) + u":",
                                               u"FAT32", 1000, 500, u"OTHER", u"1"}});
        station.Attach(stick);
        sticks.push_back(stick.interfaceName);
    }
    const auto ssd = zt::sim::UaspDisk(u"1234567DB9FB", false, 1,
                                       {{{u"E:", u"NTFS", 2000, 900, u"T5", u"2"}}});
    station.Attach(ssd);
    const CountedWmi wmi(station.WmiBackend());
    ArriveAgainAndAgain(state, ssd, sticks, wmi);
}
BENCHMARK(BM_UaspNewVolumeQueries)
    ->ArgsProduct({{0, 16}, {0, 1}})
    ->ArgNames({"drives", "after"})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
