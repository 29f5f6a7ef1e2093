#pragma once
// Keeps a workstation in step with the USB devices found on a machine, and broadcasts each
// change in Windows' order: on arrival the USB device interface, then its ports, then its
// volumes; on removal the reverse.

#include <map>
#include <string>

#include "ztusb/udev/found_devices.h"
#include "ztusb/sim/workstation.h"

namespace zt::sim {

class MachineMirror {
public:
    explicit MachineMirror(Workstation& station) : station_(station) {}

    // Devices by a key that names each while it is present (its sysfs path).
    using Devices = std::map<std::string, MirroredDevice>;

    // The devices present from the start: into the world without broadcasts.
    void Attach(Devices present);
    // The devices present now: what came, went or changed is broadcast.
    void Update(Devices present);

    const Devices& Present() const { return present_; }

private:
    void Remove(const MirroredDevice& device);
    void Add(const MirroredDevice& device);

    Workstation& station_;
    Devices present_;
};

}  // namespace zt::sim
