// This machine's devices as udev describes them (fuzz/found_input.h), mapped to Windows
// objects, given COM names and drive letters, plugged into a workstation and read back
// through the detector's inquiries and inventories. The devices sit on ports 1 to 4 of bus 1.
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "fuzz/found_input.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/names_file.h"
#include "ztusb/detector/serial_port_map.h"
#include "ztusb/detector/zt_usb_detector.h"
#include "ztusb/sim/workstation.h"
#include "ztusb/udev/named_devices.h"

namespace {

namespace fs = std::filesystem;
using zt::udev::FoundUsbDevice;

// The names each device was given: its ports' COM names and its volumes' letters.
std::map<std::string, std::vector<zt::host::String>> NamesGiven(
    const std::map<std::string, zt::udev::MirroredDevice>& mirrored) {
    std::map<std::string, std::vector<zt::host::String>> names;
    for (const auto& [key, device] : mirrored) {
        for (const auto& port : device.serial.ports) names[key].push_back(port.name);
        for (const auto& drive : device.storage.drives) {
            for (const auto& volume : drive.volumes) names[key].push_back(volume.letter);
        }
    }
    return names;
}

void Inquire(zt::sim::Workstation& station, const std::map<std::string, zt::udev::MirroredDevice>& mirrored,
             std::size_t ports) {
    zt_usb_detector::TZtUsbDetector detector;
    for (const auto& [key, device] : mirrored) {
        station.Plug(device.serial);
        station.Plug(device.storage);
        zt::host::ProcessMessages();  // the new-port and new-volume inquiries
    }
    zt::host::TStringList map;
    detector.GetAvailableComPorts(map, true);
    zt::fuzz::Require(static_cast<std::size_t>(map.Count()) == ports, "every serial port found has a COM name");
    detector.GetAvailableComPortsEx();
    detector.GetAvailableVolumens();
    detector.CheckUSBasp();
    for (const auto& [key, device] : mirrored) {
        station.Unplug(device.storage);
        station.Unplug(device.serial);
    }
    zt::host::ProcessMessages();
}

// Each run starts from an empty workstation, as the run of a finding's file alone does: once
// every device is unplugged, nothing of them may stay behind.
void RequireEmpty(zt::sim::Workstation& station) {
    for (const char16_t* cimClass : {u"Win32_PnPEntity", u"Win32_DiskDrive", u"Win32_DiskPartition", u"Win32_LogicalDisk"}) {
        const auto objects = station.Cim().Query(u"SELECT * FROM " + zt::host::String(cimClass));
        zt::fuzz::Require(objects && objects->empty(), "no object stays after its device is unplugged");
    }
    zt::fuzz::Require(zt_usb_detector::ReadSerialPortMap().empty(), "no port stays mapped after its device is unplugged");
}

// The devices as one start of the machine names and mirrors them.
std::map<std::string, zt::udev::MirroredDevice> Mirrored(const std::map<std::string, FoundUsbDevice>& found,
                                                        const fs::path& stateFile) {
    zt::udev::NamedDevices named(stateFile);
    std::map<std::string, zt::udev::MirroredDevice> mirrored;
    for (auto& [key, device] : named.Apply(zt::udev::NamedDevices::Changes(found.begin(), found.end()))) {
        if (device) mirrored.emplace(key, std::move(*device));
    }
    return mirrored;
}

// What every run uses, made once: the workstation serving WMI, and where the names' state
// file goes.
struct Desk {
    Desk() {
        zt::fuzz::SilenceDialogs();
        ZtWmiU::SetWmiBackend(station.WmiBackend());
    }

    const fs::path stateFile = zt::fuzz::NamesFile("udev_devices");
    zt::sim::Workstation station;
};

}  // namespace

// A run allocates half a megabyte at most: a quarantine of 16 MB still holds what dozens of
// runs free, where the default 256 MB had each allocation touch memory gone cold (a third of
// a run's time).
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=16"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Desk desk;
    zt::fuzz::FuzzInput input(data, size);
    std::map<std::string, FoundUsbDevice> found;
    zt::fuzz::KernelNodes nodes;
    for (unsigned place = 1; place <= 4 && !input.Empty(); ++place) {
        const std::string location = "1-" + std::to_string(place);
        found.emplace("/sys/devices/usb1/" + location, zt::fuzz::FoundDevice(input, location, nodes));
    }
    zt::fuzz::ForgetNames(desk.stateFile);
    const auto mirrored = Mirrored(found, desk.stateFile);
    // Names kept in the state file hold across a restart.
    zt::fuzz::Require(NamesGiven(Mirrored(found, desk.stateFile)) == NamesGiven(mirrored),
                      "a device keeps its names across a restart");
    std::set<zt::host::String> given;
    for (const auto& [key, deviceNames] : NamesGiven(mirrored)) {
        for (const auto& name : deviceNames) {
            zt::fuzz::Require(name.empty() || given.insert(name).second, "no two ports or volumes share a name");
        }
    }
    zt::fuzz::ForgetNames(desk.stateFile);

    Inquire(desk.station, mirrored, nodes.ttys);
    RequireEmpty(desk.station);
    return 0;
}
