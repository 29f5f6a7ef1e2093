#include "sim/workstation.h"

#include <cstring>

#include "sim/broadcast.h"
#include "sim/registry.h"
#include "win32/broadcast_records.h"

namespace zt::sim {
namespace {

const String& KeyOf(const CimRepository::Values& entity) {
    for (const auto& [name, value] : entity) {
        if (name == u"DeviceID") return value;
    }
    static const String none;
    return none;
}

std::vector<win32::BYTE> RegistryText(const String& text) {
    std::vector<win32::BYTE> bytes((text.size() + 1) * sizeof(char16_t), 0);
    std::memcpy(bytes.data(), text.data(), text.size() * sizeof(char16_t));
    return bytes;
}

void AnnounceInterface(std::uint32_t event, const SerialDevice& device) {
    if (device.interfaceName.empty()) return;
    BroadcastDeviceChange(event, DeviceInterfaceRecord(device.interfaceName,
                                                       win32::GUID_DEVINTERFACE_USB_DEVICE));
}

void AnnouncePort(std::uint32_t event, const SerialDevice& device) {
    if (!device.portName.empty()) BroadcastDeviceChange(event, PortRecord(device.portName));
}

}  // namespace

std::function<std::optional<std::vector<String>>(const String&)> Workstation::WmiBackend() const {
    return [this](const String& query) { return cim_.Query(query); };
}

void Workstation::Attach(const SerialDevice& device) {
    for (const auto& entity : device.entities) cim_.Add(u"Win32_PnPEntity", entity);
    if (!device.portName.empty() && RegistryIsSimulated()) {
        SetRegistryValue(kSerialCommKey, device.registryValueName, REG_SZ,
                         RegistryText(device.portName));
    }
}

void Workstation::Detach(const SerialDevice& device) {
    for (const auto& entity : device.entities) cim_.Remove(u"Win32_PnPEntity", KeyOf(entity));
    if (!device.portName.empty() && RegistryIsSimulated()) {
        DeleteRegistryValue(kSerialCommKey, device.registryValueName);
    }
}

void Workstation::Plug(const SerialDevice& device) {
    Attach(device);
    AnnounceInterface(DBT_DEVICEARRIVAL, device);
    AnnouncePort(DBT_DEVICEARRIVAL, device);
}

void Workstation::Unplug(const SerialDevice& device) {
    Detach(device);
    AnnouncePort(DBT_DEVICEREMOVECOMPLETE, device);
    AnnounceInterface(DBT_DEVICEREMOVECOMPLETE, device);
}

}  // namespace zt::sim
