// This machine's USB devices as the udev scan found them (fuzz/found_input.h), on two buses
// and behind hubs, named, and read as device records two ways that must agree: from the
// facts (the Linux source) and from the Windows world mirrored from them (its device tree,
// read as on Windows). Read again with nothing changed, no record moves.
//
// Input: per device a place byte (its bus, the hub it hangs from among those plugged in, its
// port) and the device. A port taken already drops the device, as the kernel has one there.
#include <algorithm>
#include <filesystem>
#include <cctype>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/found_input.h"
#include "fuzz/fuzz_input.h"
#include "ztusb/devices/devices.h"
#include "ztusb/devices/machine_source.h"
#include "ztusb/devices/world_in_use.h"
#include "ztusb/udev/machine_mirror.h"
#include "ztusb/udev/named_devices.h"

namespace {

using zt::devices::UsbDevice;

constexpr unsigned kMostDevices = 8;

// Where devices are plugged in, named as sysfs names them: 1-4.2 below 1-4 below usb1.
class Ports {
public:
    struct Place {
        std::string location;
        std::string key;  // the sysfs path
    };

    // The place a byte picks, or none for a port taken.
    std::optional<Place> Pick(std::uint8_t place) const {
        const unsigned bus = 1u + (place & 1u);
        const std::vector<std::string>& hubs = hubs_[bus - 1];
        const std::size_t parent = (place >> 1 & 7u) % (hubs.size() + 1);
        const std::string port = std::to_string(1u + (place >> 4));
        Place picked;
        if (parent == 0) {
            picked.location = std::to_string(bus) + "-" + port;
            picked.key = "/sys/devices/pci0000:00/0000:00:14.0/usb" + std::to_string(bus) + "/" + picked.location;
        } else {
            const std::string& hub = hubs[parent - 1];
            picked.location = hub + "." + port;
            picked.key = keys_.at(hub) + "/" + picked.location;
        }
        if (keys_.count(picked.location) != 0) return std::nullopt;
        return picked;
    }

    void Take(const Place& place, bool hub) {
        keys_.emplace(place.location, place.key);
        if (hub) hubs_[place.location[0] == '1' ? 0 : 1].push_back(place.location);
    }

private:
    std::map<std::string, std::string> keys_;  // by location
    std::vector<std::string> hubs_[2];
};

bool FourHexDigits(const std::string& id) {
    return id.size() == 4 && std::all_of(id.begin(), id.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

// What a device shows on both platforms alike.
struct Face {
    std::string location, hub, name;
    std::optional<std::pair<std::uint16_t, std::uint16_t>> ids;
    bool isHub;
    std::vector<std::string> ports;
    std::vector<std::uint16_t> luns;
    std::vector<std::string> letters;

    bool operator==(const Face&) const = default;
};

Face FaceOf(const UsbDevice& record, bool realIds) {
    Face face{record.location, record.hub, record.name, std::nullopt, record.isHub, {}, {}, {}};
    if (realIds) face.ids = std::pair(record.vendorId, record.productId);
    for (const auto& port : record.ports) face.ports.push_back(port.name);
    for (const auto& disk : record.disks) face.luns.push_back(disk.lun);
    for (const auto& volume : record.volumes) {
        if (!volume.letter.empty()) face.letters.push_back(volume.letter);
    }
    std::sort(face.ports.begin(), face.ports.end());
    std::sort(face.luns.begin(), face.luns.end());
    std::sort(face.letters.begin(), face.letters.end());
    return face;
}

// The Linux source's records, in location order as it gives them.
std::vector<UsbDevice> LinuxRecords(const zt::udev::NamedDevices& named) {
    std::vector<UsbDevice> records;
    for (const auto& [key, device] : named.Present()) records.push_back(zt::devices::MachineRecord(device));
    std::stable_sort(records.begin(), records.end(), [](const UsbDevice& a, const UsbDevice& b) {
        return zt::devices::LocationBefore(a.location, b.location);
    });
    return records;
}

std::vector<Face> Faces(const std::vector<UsbDevice>& records, const std::map<std::string, bool>& realIds) {
    std::vector<Face> faces;
    for (const UsbDevice& record : records) {
        const auto real = realIds.find(record.location);
        faces.push_back(FaceOf(record, real != realIds.end() && real->second));
    }
    return faces;
}

bool Unchanged(const std::vector<UsbDevice>& before, const std::vector<UsbDevice>& now) {
    const zt::devices::DeviceChanges changes = zt::devices::Compare(before, now);
    return changes.arrived.empty() && changes.left.empty() && changes.changed.empty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool silenced = (zt::fuzz::SilenceDialogs(), true);
    (void)silenced;
    zt::fuzz::FuzzInput input(data, size);
    zt::udev::NamedDevices::Changes found;
    std::map<std::string, bool> realIds;  // by location: IDs of four hex digits, as the kernel writes them
    Ports ports;
    zt::fuzz::KernelNodes nodes;
    for (unsigned i = 0; i < kMostDevices && !input.Empty(); ++i) {
        const auto place = ports.Pick(input.Take<std::uint8_t>());
        zt::udev::FoundUsbDevice device = zt::fuzz::FoundDevice(input, place ? place->location : "", nodes);
        if (!place) continue;
        ports.Take(*place, device.hub);
        realIds.emplace(place->location, FourHexDigits(device.vendorId) && FourHexDigits(device.productId));
        found.emplace(place->key, std::move(device));
    }
    {
        zt::sim::Workstation station;
        const zt::devices::WorldInUse world(station);
        zt::udev::NamedDevices named{std::filesystem::path()};  // names for this run only
        zt::udev::MachineMirror mirror(station);
        mirror.Attach(named.Apply(found));
        const std::vector<UsbDevice> linux = LinuxRecords(named);
        const std::vector<UsbDevice> windows = zt::devices::DeviceTreeSource()->Attached();
        zt::fuzz::Require(linux.size() == found.size(), "one record for each device found");
        zt::fuzz::Require(Faces(linux, realIds) == Faces(windows, realIds), "both sources show a device alike");
        mirror.Update(named.Apply(found));
        zt::fuzz::Require(Unchanged(linux, LinuxRecords(named)), "a device read again unchanged keeps its record");
        zt::fuzz::Require(Unchanged(windows, zt::devices::DeviceTreeSource()->Attached()),
                          "a device read again unchanged keeps its record in the device tree");
        mirror.DetachAll();
    }
    return 0;
}
