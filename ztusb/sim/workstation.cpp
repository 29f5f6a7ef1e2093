#include "ztusb/sim/workstation.h"

#include "ztusb/sim/announcements.h"
#include "ztusb/sim/device_nodes.h"
#include "ztusb/sim/usb_ports.h"
#include "ztusb/world/broadcast.h"
#include "ztusb/world/registry.h"
#include "ztusb/win32/broadcast_records.h"
#include "ztusb/win32/windows_names.h"

namespace zt::sim {
namespace {

const String& KeyOf(const world::CimRepository::Values& entity) {
    for (const auto& [name, value] : entity) {
        if (name == u"DeviceID") return value;
    }
    static const String none;
    return none;
}

const String& InterfaceOf(const UsbBoard& device) {
    return device.serial.interfaceName.empty() ? device.storage.interfaceName : device.serial.interfaceName;
}

// The nodes of the device's own, parents first: its USB device and what hangs below it, then
// its disks.
std::vector<world::DeviceNode> NodesOf(const UsbBoard& device) {
    std::vector<world::DeviceNode> nodes = device.serial.nodes;
    nodes.insert(nodes.end(), device.storage.nodes.begin(), device.storage.nodes.end());
    for (const DiskDrive& drive : device.storage.drives) {
        if (!drive.holder.empty()) nodes.push_back(ChildNode(DiskEntity(drive), drive.holder));
    }
    return nodes;
}

// The node that stands for the whole device in the tree: the first, its USB device's.
const world::DeviceNode* TopNode(const UsbBoard& device) {
    if (!device.serial.nodes.empty()) return &device.serial.nodes.front();
    if (!device.storage.nodes.empty()) return &device.storage.nodes.front();
    return nullptr;
}

std::uint64_t Number(std::optional<std::u16string_view> text) {
    return text ? std::strtoull(host::ToUtf8(String(*text)).c_str(), nullptr, 10) : 0;
}

// What the volume calls say of a lettered volume: its logical disk's facts.
std::optional<win32::VolumeFacts> VolumeAt(const world::CimRepository& cim, std::u16string_view root) {
    const world::CimClass& logicalDisk = *world::FindCimClass(u"Win32_LogicalDisk");
    const world::CimObject* disk = cim.Find(logicalDisk, root.substr(0, 2));
    if (disk == nullptr || root.size() < 2) return std::nullopt;
    const auto text = [&](const char16_t* name) { return disk->Value(*logicalDisk.Find(name)); };
    const auto serial = text(u"VolumeSerialNumber");
    return win32::VolumeFacts{String(text(u"FileSystem").value_or(u"")), String(text(u"VolumeName").value_or(u"")),
                              static_cast<std::uint32_t>(serial ? std::strtoul(host::ToUtf8(String(*serial)).c_str(),
                                                                               nullptr, 16)
                                                                : 0),
                              Number(text(u"Size")), Number(text(u"FreeSpace"))};
}

}  // namespace

Workstation::Workstation()
    : cim_(std::make_shared<world::CimRepository>()),
      serialPorts_(std::make_shared<std::vector<win32::RegistryValue>>()),
      tree_(std::make_shared<world::DeviceNodes>([cim = cim_](std::u16string_view root) { return VolumeAt(*cim, root); })),
      ports_(std::make_unique<UsbPorts>(*tree_)) {}

Workstation::~Workstation() = default;
Workstation::Workstation(Workstation&&) noexcept = default;
Workstation& Workstation::operator=(Workstation&&) noexcept = default;

std::function<std::optional<std::vector<String>>(const String&)> Workstation::WmiBackend() const {
    return [cim = cim_](const String& query) { return cim->Query(query); };
}

std::shared_ptr<const win32::DeviceTree> Workstation::DeviceTreeBackend() const { return tree_; }

win32::RegistryBackend Workstation::RegistryBackend() const {
    return [ports = serialPorts_](std::u16string_view keyPath) {
        win32::RegistryRead read;
        if (!host::SameText(keyPath, world::kSerialCommKey) || ports->empty()) {
            read.status = ERROR_FILE_NOT_FOUND;
        } else {
            read.values = *ports;
        }
        return read;
    };
}

// Kept for the registry backend, and where the registry is emulated written into it too.
void Workstation::SetSerialPort(win32::RegistryValue value) {
    if (world::RegistryIsSimulated()) world::SetRegistryValue(world::kSerialCommKey, value.name, value.type, value.data);
    std::erase_if(*serialPorts_, [&](const win32::RegistryValue& held) { return host::SameText(held.name, value.name); });
    serialPorts_->push_back(std::move(value));
}

void Workstation::DeleteSerialPort(const String& name) {
    if (world::RegistryIsSimulated()) world::DeleteRegistryValue(world::kSerialCommKey, name);
    std::erase_if(*serialPorts_, [&](const win32::RegistryValue& value) { return host::SameText(value.name, name); });
}


void Workstation::Attach(const UsbBoard& device, std::u16string_view location) {
    std::vector<world::DeviceNode> nodes = NodesOf(device);
    const String placed = ports_->Place(nodes, location);
    try {
        for (const auto& entity : device.serial.entities) cim_->Add(u"Win32_PnPEntity", entity);
        for (const auto& entity : device.storage.entities) cim_->Add(u"Win32_PnPEntity", entity);
        for (const DiskDrive& drive : device.storage.drives) {
            if (!drive.holder.empty()) cim_->Add(u"Win32_PnPEntity", DiskEntity(drive));
            cim_->Add(u"Win32_DiskDrive", DiskDriveObject(drive));
            for (std::size_t i = 0; i < drive.volumes.size(); ++i) {
                const String partition = PartitionId(drive, i);
                cim_->Add(u"Win32_DiskPartition", PartitionObject(drive, i));
                cim_->Associate(u"Win32_DiskDriveToDiskPartition", DiskDeviceId(drive), partition);
                const Volume& volume = drive.volumes[i];
                if (volume.letter.empty()) continue;  // EFI or recovery: no logical disk
                cim_->Add(u"Win32_LogicalDisk", LogicalDiskObject(drive, volume));
                cim_->Associate(u"Win32_LogicalDiskToPartition", partition, volume.letter);
            }
        }
        for (world::DeviceNode& node : nodes) tree_->Add(std::move(node));
    } catch (...) {
        if (!placed.empty()) ports_->Free(TopNode(device)->id);
        throw;
    }
    for (const SerialPort& port : device.serial.ports) SetSerialPort({port.registryValueName, REG_SZ, world::RegistryText(port.name)});
}

void Workstation::Detach(const UsbBoard& device) {
    if (const world::DeviceNode* top = TopNode(device)) {
        ports_->Free(top->id);
        tree_->Remove(top->id);
    }
    for (const DiskDrive& drive : device.storage.drives) {
        for (std::size_t i = 0; i < drive.volumes.size(); ++i) {
            if (!drive.volumes[i].letter.empty()) cim_->Remove(u"Win32_LogicalDisk", drive.volumes[i].letter);
            cim_->Remove(u"Win32_DiskPartition", PartitionId(drive, i));
        }
        cim_->Remove(u"Win32_DiskDrive", DiskDeviceId(drive));
        if (!drive.holder.empty()) cim_->Remove(u"Win32_PnPEntity", drive.pnpDeviceId);
    }
    for (const auto& entity : device.storage.entities) cim_->Remove(u"Win32_PnPEntity", KeyOf(entity));
    for (const auto& entity : device.serial.entities) cim_->Remove(u"Win32_PnPEntity", KeyOf(entity));
    for (const SerialPort& port : device.serial.ports) DeleteSerialPort(port.registryValueName);
}

void Workstation::Plug(const UsbBoard& device, std::u16string_view location) {
    Attach(device, location);
    AnnounceInterface(DBT_DEVICEARRIVAL, InterfaceOf(device));
    AnnouncePorts(DBT_DEVICEARRIVAL, device.serial);
    AnnounceVolumes(DBT_DEVICEARRIVAL, device.storage);
}

void Workstation::Unplug(const UsbBoard& device) {
    Detach(device);
    AnnounceVolumes(DBT_DEVICEREMOVECOMPLETE, device.storage);
    AnnouncePorts(DBT_DEVICEREMOVECOMPLETE, device.serial);
    AnnounceInterface(DBT_DEVICEREMOVECOMPLETE, InterfaceOf(device));
}

// Serial devices and drives are boards with one kind of face.
void Workstation::Attach(const SerialDevice& device, std::u16string_view location) { Attach(UsbBoard{device, {}}, location); }
void Workstation::Attach(const StorageDevice& device, std::u16string_view location) { Attach(UsbBoard{{}, device}, location); }
void Workstation::Plug(const SerialDevice& device, std::u16string_view location) { Plug(UsbBoard{device, {}}, location); }
void Workstation::Plug(const StorageDevice& device, std::u16string_view location) { Plug(UsbBoard{{}, device}, location); }
void Workstation::Unplug(const SerialDevice& device) { Unplug(UsbBoard{device, {}}); }
void Workstation::Unplug(const StorageDevice& device) { Unplug(UsbBoard{{}, device}); }
void Workstation::Detach(const SerialDevice& device) { Detach(UsbBoard{device, {}}); }
void Workstation::Detach(const StorageDevice& device) { Detach(UsbBoard{{}, device}); }

void Workstation::Attach(const world::RecordedArrivals& arrivals) {
    for (const world::RecordedInstance& instance : arrivals.instances) {
        cim_->Add(instance.className, instance.values, instance.written);
    }
    for (const world::RecordedLink& link : arrivals.links) {
        cim_->Associate(link.association, link.antecedentKey, link.dependentKey);
    }
    for (const world::DeviceNode& node : arrivals.nodes) tree_->Add(node);
    for (const world::RecordedRegistryValue& value : arrivals.serialPorts) SetSerialPort({value.name, value.type, value.data});
}

void Workstation::Detach(const world::RecordedDepartures& departures) {
    for (const world::RecordedInstanceKey& instance : departures.instances) cim_->Remove(instance.className, instance.key);
    for (const String& node : departures.nodes) tree_->Remove(node);
    for (const String& name : departures.serialPorts) DeleteSerialPort(name);
}

void Workstation::Replay(const world::RecordedBroadcast& broadcast) {
    Detach(broadcast.went);
    Attach(broadcast.came);
    world::BroadcastDeviceChange(broadcast.event, broadcast.record);
}

}  // namespace zt::sim
