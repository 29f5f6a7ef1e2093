#pragma once
// A simulated workstation: its WMI repository, its device tree, its serial-port map and the
// devices that come and go, broadcasting as Windows does to the calling thread's windows.

#include <functional>
#include <memory>
#include <optional>

#include "ztusb/export.h"
#include "ztusb/sim/boards.h"
#include "ztusb/sim/serial_devices.h"
#include "ztusb/sim/storage_devices.h"
#include "ztusb/world/cim_repository.h"
#include "ztusb/world/device_tree.h"
#include "ztusb/world/recorded_world.h"
#include "ztusb/win32/registry_values.h"

namespace zt::sim {

class UsbPorts;

class ZT_SIM_API Workstation {
public:
    Workstation();
    ~Workstation();
    Workstation(Workstation&&) noexcept;
    Workstation& operator=(Workstation&&) noexcept;

    world::CimRepository& Cim() { return *cim_; }
    const world::DeviceNodes& Tree() const { return *tree_; }

    // Answers WQL from this workstation, which it shares; install it with
    // ZtWmiU::SetWmiBackend.
    std::function<std::optional<std::vector<String>>(const String&)> WmiBackend() const;
    // Answers the device tree calls from this workstation; install it with
    // win32::SetDeviceTree. It shares the workstation's tree and repository.
    std::shared_ptr<const win32::DeviceTree> DeviceTreeBackend() const;
    // Answers registry reads from this workstation (its serial-port map), also on Windows;
    // install it with win32::SetRegistryBackend.
    win32::RegistryBackend RegistryBackend() const;

    // A device is plugged into a USB port: at the location given (1-4.2: port 2 of the hub
    // on port 4 of bus 1), or the lowest free port of bus 1. Throws std::invalid_argument
    // for a location without its hub, a port taken, or an identity another device present
    // holds.
    //
    // Attach: present from the start, without broadcasts. Plug: an arrival, broadcast as
    // Windows does: the USB device interface, then its ports, then its volumes.
    void Attach(const SerialDevice& device, std::u16string_view location = {});
    void Attach(const StorageDevice& device, std::u16string_view location = {});
    void Attach(const UsbBoard& device, std::u16string_view location = {});
    void Plug(const SerialDevice& device, std::u16string_view location = {});
    void Plug(const StorageDevice& device, std::u16string_view location = {});
    void Plug(const UsbBoard& device, std::u16string_view location = {});
    // Removal, broadcast in the reverse order, after the device is gone.
    void Unplug(const SerialDevice& device);
    void Unplug(const StorageDevice& device);
    void Unplug(const UsbBoard& device);
    // Gone without broadcasts, as Attach comes without them: for a world that announces
    // changes of its own.
    void Detach(const SerialDevice& device);
    void Detach(const StorageDevice& device);
    void Detach(const UsbBoard& device);

    // A recorded machine: what it held, then each broadcast after what came and went with it
    // (the caller waits the time between). Throws std::invalid_argument as Add and
    // Associate do.
    void Attach(const world::RecordedArrivals& arrivals);
    void Replay(const world::RecordedBroadcast& broadcast);

private:
    void Detach(const world::RecordedDepartures& departures);

    void SetSerialPort(win32::RegistryValue value);
    void DeleteSerialPort(const String& name);

    std::shared_ptr<world::CimRepository> cim_;
    std::shared_ptr<std::vector<win32::RegistryValue>> serialPorts_;
    std::shared_ptr<world::DeviceNodes> tree_;
    std::unique_ptr<UsbPorts> ports_;
};

}  // namespace zt::sim
