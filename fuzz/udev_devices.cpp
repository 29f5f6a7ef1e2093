// This machine's devices as udev describes them: what a USB device says of itself (IDs,
// strings, interfaces, its disks' inquiry data, its file systems' labels, UUIDs and sizes)
// mapped to Windows objects, given COM names and drive letters, plugged into a workstation
// and read back through the detector's inquiries and inventories. What the kernel names
// (locations, nodes, partition numbers) is made up here, distinct as on a real machine.
//
// Input: per device: a shape byte (interfaces, serial ports, disks), the texts vendor ID,
// product ID, serial, manufacturer, product (each up to a 0x1F byte), then per port an
// interface number (1 byte); per disk the texts vendor, model, revision, a LUN (2 bytes), a
// flags byte (removable, GPT, partitions, interface, UAS) and per partition its size (8 bytes), a flags byte
// (mounted, file-system kind), the texts file-system version, label and UUID, and the mounted
// file system's size and free space (8 bytes each).
#include <array>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include <unistd.h>

#include "fuzz/fuzz_input.h"
#include "ztusb/detector/serial_port_map.h"
#include "ztusb/detector/zt_usb_detector.h"
#include "ztusb/sim/workstation.h"
#include "ztusb/udev/found_devices.h"
#include "ztusb/udev/named_devices.h"

namespace {

namespace fs = std::filesystem;
using zt::sim::FoundDisk;
using zt::sim::FoundPartition;
using zt::sim::FoundUsbDevice;

constexpr std::uint8_t kTextEnd = 0x1F;
constexpr std::array<const char*, 6> kFileSystems = {"vfat", "exfat", "ntfs", "iso9660", "ext4", ""};

std::string Text(zt::fuzz::FuzzInput& input) { return std::string(zt::fuzz::AsText(input.TakeUntil(kTextEnd))); }

FoundPartition Partition(zt::fuzz::FuzzInput& input, const std::string& disk, unsigned number) {
    FoundPartition partition{};
    partition.node = disk + std::to_string(number);
    partition.number = number;
    partition.size = input.Take<std::uint64_t>();
    const auto flags = input.Take<std::uint8_t>();
    partition.fileSystem = kFileSystems[(flags >> 1) % kFileSystems.size()];
    partition.fileSystemVersion = Text(input);
    partition.label = Text(input);
    partition.uuid = Text(input);
    if ((flags & 1) != 0) partition.mountPoint = "/media/" + std::to_string(number);
    partition.fileSystemSize = input.Take<std::uint64_t>();
    partition.freeSpace = input.Take<std::uint64_t>();
    return partition;
}

FoundDisk Disk(zt::fuzz::FuzzInput& input, const std::string& node) {
    FoundDisk disk{};
    disk.vendor = Text(input);
    disk.model = Text(input);
    disk.revision = Text(input);
    disk.lun = input.Take<std::uint16_t>();
    const auto flags = input.Take<std::uint8_t>();
    disk.removable = (flags & 1) != 0;
    disk.gpt = (flags & 2) != 0;
    disk.interfaceNumber = flags >> 5 & 3u;
    disk.uas = (flags & 0x80) != 0;
    for (unsigned number = 1; number <= (flags >> 2 & 7u) % 5u; ++number) {
        disk.partitions.push_back(Partition(input, node, number));
    }
    return disk;
}

FoundUsbDevice Device(zt::fuzz::FuzzInput& input, unsigned place, unsigned& ttys, unsigned& disks) {
    FoundUsbDevice device{};
    const auto shape = input.Take<std::uint8_t>();
    device.location = "1-" + std::to_string(place);
    device.interfaceCount = shape & 7u;
    device.vendorId = Text(input);
    device.productId = Text(input);
    device.serial = Text(input);
    device.manufacturer = Text(input);
    device.product = Text(input);
    for (unsigned i = 0; i < (shape >> 3 & 3u); ++i) {
        device.ttys.push_back({"/dev/ttyUSB" + std::to_string(ttys++), input.Take<std::uint8_t>(), {}});
    }
    for (unsigned i = 0; i < (shape >> 5 & 3u); ++i) {
        device.disks.push_back(Disk(input, "/dev/sd" + std::string(1, static_cast<char>('b' + disks++))));
    }
    return device;
}

// The names each device was given: its ports' COM names and its volumes' letters.
std::map<std::string, std::vector<zt::host::String>> NamesGiven(
    const std::map<std::string, zt::sim::MirroredDevice>& mirrored) {
    std::map<std::string, std::vector<zt::host::String>> names;
    for (const auto& [key, device] : mirrored) {
        for (const auto& port : device.serial.ports) names[key].push_back(port.name);
        for (const auto& drive : device.storage.drives) {
            for (const auto& volume : drive.volumes) names[key].push_back(volume.letter);
        }
    }
    return names;
}

void Inquire(zt::sim::Workstation& station, const std::map<std::string, zt::sim::MirroredDevice>& mirrored,
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
std::map<std::string, zt::sim::MirroredDevice> Mirrored(const std::map<std::string, FoundUsbDevice>& found,
                                                        const fs::path& stateFile) {
    zt::sim::NamedDevices named(stateFile);
    std::map<std::string, zt::sim::MirroredDevice> mirrored;
    for (auto& [key, device] : named.Apply(zt::sim::NamedDevices::Changes(found.begin(), found.end()))) {
        if (device) mirrored.emplace(key, std::move(*device));
    }
    return mirrored;
}

// What every run uses, made once: the workstation serving WMI, and where the names' state
// file goes (a file system in memory where there is one: on disk the file took a tenth of
// each run).
struct Desk {
    Desk() {
        zt::fuzz::SilenceDialogs();
        ZtWmiU::SetWmiBackend(station.WmiBackend());
    }

    static fs::path StateFile() {
        std::error_code error;
        const fs::path memory = "/dev/shm";
        const fs::path base = fs::is_directory(memory, error) ? memory : fs::temp_directory_path();
        return base / ("zt_fuzz_udev_devices." + std::to_string(::getpid())) / "device-names";
    }

    const fs::path stateFile = StateFile();
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
    unsigned ttys = 0;
    unsigned disks = 0;
    for (unsigned place = 1; place <= 4 && !input.Empty(); ++place) {
        found.emplace("/sys/devices/usb1/1-" + std::to_string(place), Device(input, place, ttys, disks));
    }
    // No names from before, as in a run of the input's file alone, and none left after.
    std::error_code error;
    fs::remove_all(desk.stateFile.parent_path(), error);
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
    fs::remove_all(desk.stateFile.parent_path(), error);

    Inquire(desk.station, mirrored, ttys);
    RequireEmpty(desk.station);
    return 0;
}
