#pragma once
// Keeps a workstation in step with the USB devices found on a machine, and broadcasts each
// change in Windows' order: on arrival the USB device interface, then its ports, then its
// volumes; on removal the reverse.

#include <map>
#include <optional>
#include <string>

#include "ztusb/udev/found_devices.h"
#include "ztusb/sim/workstation.h"

namespace zt::udev {

class MachineMirror {
public:
    explicit MachineMirror(sim::Workstation& station) : station_(station) {}

    // Devices by a key that names each while it is present (its sysfs path).
    using Devices = std::map<std::string, MirroredDevice>;
    // The devices that changed, by key: each as it is now, or nothing for one gone.
    using Changes = std::map<std::string, std::optional<MirroredDevice>>;

    // Into the world without broadcasts: the devices present from the start.
    void Attach(Changes changes);
    // What came, went or changed is broadcast: removals first, in key order, then arrivals.
    void Update(Changes changes);
    // Every device out of the world, without broadcasts.
    void DetachAll();

private:
    // The changed devices' old selves out of the world, their new ones in: returns the old.
    Devices Apply(Changes changes);
    void Remove(const MirroredDevice& device);
    void Add(const MirroredDevice& device);

    sim::Workstation& station_;
    Devices present_;
};

}  // namespace zt::udev
