#pragma once
// A simulated workstation: its WMI repository, its serial-port map and the devices that
// come and go, broadcasting as Windows does to the calling thread's windows.

#include <functional>
#include <optional>

#include "ztusb/export.h"
#include "ztusb/world/cim_repository.h"
#include "ztusb/world/recorded_world.h"
#include "ztusb/sim/serial_devices.h"
#include "ztusb/sim/storage_devices.h"

namespace zt::sim {

class ZT_SIM_API Workstation {
public:
    CimRepository& Cim() { return cim_; }

    // Answers WQL from this workstation; install it with ZtWmiU::SetWmiBackend.
    std::function<std::optional<std::vector<String>>(const String&)> WmiBackend() const;

    // Present from the start: no broadcasts.
    void Attach(const SerialDevice& device);
    // Arrival: the device's entities and registry value, then the device-interface
    // broadcast, then the port's.
    void Plug(const SerialDevice& device);
    // Removal: the port's broadcast, then the device interface's, after the device is gone.
    void Unplug(const SerialDevice& device);

    // The same for disk drives: the drive, its partitions and volumes and their
    // associations; the device interface's broadcast, then the volume's.
    void Attach(const StorageDevice& device);
    void Plug(const StorageDevice& device);
    void Unplug(const StorageDevice& device);

    // A recorded machine: what it held, then each broadcast after what came and went with it
    // (the caller waits the time between). Throws std::invalid_argument as Add and
    // Associate do.
    void Attach(const RecordedArrivals& arrivals);
    void Replay(const RecordedBroadcast& broadcast);

    // Gone without broadcasts, as Attach comes without them: for a world that announces
    // changes of its own.
    void Detach(const SerialDevice& device);
    void Detach(const StorageDevice& device);

private:
    void Detach(const RecordedDepartures& departures);

    CimRepository cim_;
};

}  // namespace zt::sim
