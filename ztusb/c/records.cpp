#include "ztusb/c/records.h"

#include "ztusb/detector/port_path.h"
#include "ztusb/detector/usb_id.h"

#include <unordered_map>
#include <utility>

namespace zt::c_api {
namespace {

using host::ToUtf8;

ztusb_port PortRecord(const devices::ComPort& port, Arena& arena) {
    return {arena.Text(port.name), arena.Text(port.path),
            port.interfaceNumber ? static_cast<std::int32_t>(*port.interfaceNumber) : -1, port.channel.value_or('\0')};
}

ztusb_volume VolumeRecord(const devices::Volume& volume, const std::string& device, Arena& arena) {
    return {arena.Text(volume.letter),     arena.Text(volume.mountPoint), arena.Text(volume.fileSystem),
            volume.size,                   volume.freeSpace,              arena.Text(volume.label),
            arena.Text(volume.serial),     volume.lun,                    arena.Text(volume.driveCaption),
            arena.Text(device)};
}

template <typename From, typename Convert>
auto Converted(const std::vector<From>& items, Convert convert) {
    std::vector<decltype(convert(items.front()))> records;
    records.reserve(items.size());
    for (const From& item : items) records.push_back(convert(item));
    return records;
}

std::int32_t IdNumber(const host::String& text) {
    const auto number = zt_usb_detector::UsbIdNumber(text);
    return number ? *number : -1;
}

// The faces of the devices by their name (a port's) or letter (a volume's), with their device:
// read once for a whole inventory.
template <typename Face>
using FaceIndex = std::unordered_map<std::string, std::pair<const devices::UsbDevice*, const Face*>>;

template <typename Face>
FaceIndex<Face> IndexOf(const std::vector<devices::UsbDevice>& devices, std::vector<Face> devices::UsbDevice::*faces,
                        std::string Face::*key) {
    FaceIndex<Face> index;
    for (const devices::UsbDevice& device : devices) {
        for (const Face& face : device.*faces) {
            if (!(face.*key).empty()) index.try_emplace(face.*key, &device, &face);
        }
    }
    return index;
}

template <typename Face>
std::pair<const devices::UsbDevice*, const Face*> Find(const FaceIndex<Face>& index, const std::string& key) {
    const auto found = index.find(key);
    return found == index.end() ? std::pair<const devices::UsbDevice*, const Face*>{} : found->second;
}

}  // namespace

const char* Arena::Text(std::string text) { return texts_.emplace_back(std::move(text)).c_str(); }

ztusb_device DeviceRecord(const devices::UsbDevice& d, Arena& arena) {
    ztusb_device record{};
    record.vendor_id = d.vendorId;
    record.product_id = d.productId;
    record.serial = d.serial ? arena.Text(*d.serial) : nullptr;
    record.manufacturer = arena.Text(d.manufacturer);
    record.product = arena.Text(d.product);
    record.location = arena.Text(d.location);
    record.hub = arena.Text(d.hub);
    record.name = arena.Text(d.name);
    record.is_hub = d.isHub;
    record.is_usbasp = d.usbasp;
    record.instance_id = arena.Text(d.windows.instanceId);
    record.location_info = arena.Text(d.windows.locationInfo);
    record.container_id = arena.Text(d.windows.containerId);
    record.location_paths = arena.Array(Converted(d.windows.locationPaths, [&](const std::string& path) {
        return arena.Text(path);
    }));
    record.location_path_count = d.windows.locationPaths.size();
    record.ports = arena.Array(Converted(d.ports, [&](const devices::ComPort& p) { return PortRecord(p, arena); }));
    record.port_count = d.ports.size();
    record.disks = arena.Array(Converted(d.disks, [&](const devices::Disk& disk) {
        return ztusb_disk{arena.Text(disk.id), disk.lun, arena.Text(disk.caption)};
    }));
    record.disk_count = d.disks.size();
    record.volumes =
        arena.Array(Converted(d.volumes, [&](const devices::Volume& v) { return VolumeRecord(v, d.name, arena); }));
    record.volume_count = d.volumes.size();
    record.d2xx_entries = arena.Array(Converted(d.d2xx, [&](const devices::D2xxEntry& e) {
        return ztusb_d2xx_entry{e.index, arena.Text(e.serial), e.locationId, arena.Text(e.description)};
    }));
    record.d2xx_entry_count = d.d2xx.size();
    return record;
}

std::unique_ptr<DeviceList> DeviceListOf(const std::vector<devices::UsbDevice>& devices) {
    auto list = std::make_unique<DeviceList>();
    list->devices = list->arena.Array(
        Converted(devices, [&](const devices::UsbDevice& d) { return DeviceRecord(d, list->arena); }));
    list->count = devices.size();
    return list;
}

std::unique_ptr<Device> DeviceOf(const devices::UsbDevice& device) {
    auto owned = std::make_unique<Device>();
    static_cast<ztusb_device&>(*owned) = DeviceRecord(device, owned->arena);
    return owned;
}

std::unique_ptr<Event> EventOf(const devices::DeviceEvent& event) {
    using Kind = devices::DeviceEvent::Kind;
    auto owned = std::make_unique<Event>();
    owned->kind = event.kind == Kind::Arrival   ? ZTUSB_EVENT_ARRIVAL
                  : event.kind == Kind::Removal ? ZTUSB_EVENT_REMOVAL
                                                : ZTUSB_EVENT_CHANGE;
    owned->device = DeviceRecord(event.device, owned->arena);
    return owned;
}

std::unique_ptr<ComPortList> ComPortListOf(const std::vector<zt_usb_detector::TZtComInfo>& ports,
                                           const std::vector<devices::UsbDevice>& devices) {
    auto list = std::make_unique<ComPortList>();
    Arena& arena = list->arena;
    const zt_usb_detector::PortPaths paths;
    const auto faces = IndexOf(devices, &devices::UsbDevice::ports, &devices::ComPort::name);
    list->ports = arena.Array(Converted(ports, [&](const zt_usb_detector::TZtComInfo& port) {
        const std::string name = ToUtf8(port.sPort);
        const auto [owner, face] = Find(faces, name);
        return ztusb_com_port{arena.Text(name),
                              port.iPort,
                              arena.Text(ToUtf8(paths.Of(port.sPort))),
                              arena.Text(ToUtf8(port.PortType)),
                              IdNumber(port.VID),
                              IdNumber(port.PID),
                              arena.Text(ToUtf8(port.Serial)),
                              arena.Text(ToUtf8(port.Manufacturer)),
                              arena.Text(ToUtf8(port.Chip)),
                              arena.Text(owner ? owner->location : std::string()),
                              face && face->interfaceNumber ? static_cast<std::int32_t>(*face->interfaceNumber) : -1};
    }));
    list->count = ports.size();
    return list;
}

std::unique_ptr<VolumeList> VolumeListOf(const std::vector<zt_usb_detector::TZtVolInfo>& volumes,
                                         const std::vector<devices::UsbDevice>& devices) {
    auto list = std::make_unique<VolumeList>();
    Arena& arena = list->arena;
    const auto faces = IndexOf(devices, &devices::UsbDevice::volumes, &devices::Volume::letter);
    list->volumes = arena.Array(Converted(volumes, [&](const zt_usb_detector::TZtVolInfo& volume) {
        const std::string letter = ToUtf8(volume.DeviceID);
        const devices::Volume* face = Find(faces, letter).second;
        return ztusb_volume{arena.Text(letter),
                            arena.Text(face ? face->mountPoint : std::string()),
                            arena.Text(ToUtf8(volume.FileSystem)),
                            volume.Size,
                            volume.FreeSpace,
                            arena.Text(ToUtf8(volume.VolName)),
                            arena.Text(ToUtf8(volume.VolSerial)),
                            face ? face->lun : std::uint16_t{0},
                            arena.Text(ToUtf8(volume.FulName)),
                            arena.Text(ToUtf8(volume.PNPDeviceID))};
    }));
    list->count = volumes.size();
    return list;
}

}  // namespace zt::c_api
