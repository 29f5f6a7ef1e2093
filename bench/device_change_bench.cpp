// Decoding and raising one broadcast of each kind with an empty handler, and the request
// road (decode, post, pump, route).
#include <benchmark/benchmark.h>

#include "ztusb/detector/zt_usb_detector.h"
#include "ztusb/devices/world_in_use.h"
#include "ztusb/host/application.h"
#include "ztusb/host/log.h"
#include "ztusb/world/broadcast.h"
#include "ztusb/win32/windows_names.h"

namespace {

using zt::host::String;
using zt::host::TObject;
using zt_usb_detector::TZtUsbDetector;

class Decoder : public TZtUsbDetector {
public:
    Decoder() {
        OnComDetect = [](TObject*, const String&, std::int32_t) {};
        OnVolumeDetect = [](TObject*, const String&, std::int32_t) {};
        OnUsbDetect = [](TObject*, const String&, const String&, const String&, std::int32_t) {};
    }
    void Decode(std::uint32_t event, const zt::world::Record& record) {
        zt::host::TMessage message{WM_DEVICECHANGE, event,
                                   reinterpret_cast<zt::win32::LPARAM>(record.data()), 0};
        WMDeviceChange(message);
    }
};

const std::u16string kFtdi =
    u"\\\\?\\USB#VID_0403&PID_6001#A50285BI#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

zt::world::Record FtdiInterface() {
    return zt::world::DeviceInterfaceRecord(kFtdi, zt_usb_detector::GUID_DEVINTERFACE_USB_DEVICE);
}

void BM_DecodePort(benchmark::State& state) {
    Decoder decoder;
    const auto record = zt::world::PortRecord(u"COM5");
    for (auto _ : state) decoder.Decode(DBT_DEVICEARRIVAL, record);
}
BENCHMARK(BM_DecodePort);

void BM_DecodeVolume(benchmark::State& state) {
    Decoder decoder;
    const auto record = zt::world::VolumeRecord(1u << 4);
    for (auto _ : state) decoder.Decode(DBT_DEVICEARRIVAL, record);
}
BENCHMARK(BM_DecodeVolume);

// Arrivals and removals alternate, so the arrival-name list stays at one entry or none.
void BM_DecodeDeviceInterface(benchmark::State& state) {
    Decoder decoder;
    const auto record = FtdiInterface();
    std::uint32_t event = DBT_DEVICEARRIVAL;
    for (auto _ : state) {
        decoder.Decode(event, record);
        event = event == DBT_DEVICEARRIVAL ? DBT_DEVICEREMOVECOMPLETE : DBT_DEVICEARRIVAL;
    }
}
BENCHMARK(BM_DecodeDeviceInterface);

// A port arrival while a device is listed: decode, post the request, pump, route it. The
// inquiry it leads to asks an empty simulated workstation, whatever this machine has.
void BM_RequestRoad(benchmark::State& state) {
    const zt::sim::Workstation station;
    const zt::devices::WorldInUse world(station);
    Decoder decoder;
    decoder.Decode(DBT_DEVICEARRIVAL, FtdiInterface());
    const auto record = zt::world::PortRecord(u"COM5");
    for (auto _ : state) {
        decoder.Decode(DBT_DEVICEARRIVAL, record);
        zt::host::ProcessMessages();
    }
}
BENCHMARK(BM_RequestRoad);

// The same roads with the log on: a handler that takes every record and keeps none.
class LogOn {
public:
    LogOn() : previous_(zt::host::SetLogHandler([](const zt::host::LogRecord& record) {
          benchmark::DoNotOptimize(record.text.data());
      })) {}
    ~LogOn() { zt::host::SetLogHandler(previous_); }
    LogOn(const LogOn&) = delete;
    LogOn& operator=(const LogOn&) = delete;

private:
    zt::host::LogHandler previous_;
};

void BM_DecodePortLogged(benchmark::State& state) {
    const LogOn log;
    BM_DecodePort(state);
}
BENCHMARK(BM_DecodePortLogged);

void BM_RequestRoadLogged(benchmark::State& state) {
    const LogOn log;
    BM_RequestRoad(state);
}
BENCHMARK(BM_RequestRoadLogged);

// The whole road of a port broadcast: window lookup, send, decode, raise.
void BM_BroadcastPort(benchmark::State& state) {
    Decoder decoder;
    const auto record = zt::world::PortRecord(u"COM5");
    for (auto _ : state) zt::world::BroadcastDeviceChange(DBT_DEVICEARRIVAL, record);
}
BENCHMARK(BM_BroadcastPort);

}  // namespace
