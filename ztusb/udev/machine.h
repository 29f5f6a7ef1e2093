#pragma once
// This machine's own USB devices as a Windows world: COM ports, disk drives and volumes
// named the Windows way, read through udev where the machine has it. Install its
// workstation's WMI backend with ZtWmiU::SetWmiBackend; its serial-port map goes to the
// emulated registry.

#include <filesystem>
#include <memory>

#include "ztusb/export.h"
#include "ztusb/udev/device_names.h"
#include "ztusb/udev/mount_table.h"
#include "ztusb/udev/named_devices.h"
#include "ztusb/sim/workstation.h"

namespace zt::udev {

class ZT_UDEV_API MachineWorld {
public:
    explicit MachineWorld(MountTable mounts = SystemMountTable(),
                          std::filesystem::path namesFile = DefaultDeviceNamesFile());
    ~MachineWorld();
    MachineWorld(const MachineWorld&) = delete;
    MachineWorld& operator=(const MachineWorld&) = delete;

    // False where the machine has no udev to ask (a container): the world then stays empty
    // until a USB bus appears, which a world that listens looks for every two seconds and
    // Refresh looks for at once.
    bool Available() const;
    sim::Workstation& Station() { return station_; }
    // The USB devices found, as udev and sysfs tell of them, with the names they were given,
    // by sysfs path; kept in step with the world.
    const std::map<std::string, NamedDevices::Named>& Present() const;

    // Reads the whole machine again; what came, went or changed is broadcast to the calling
    // thread's windows.
    void Refresh();

    // From now on, udev's events and changes of the mount table reach the calling thread's
    // message loop (GetMessageW, ProcessMessages, or the host's own), which sleeps on them:
    // when one comes, what the events name is read again (a device and what hangs below it;
    // for a change, that device alone; for the mount table, the mounts) and what changed is
    // broadcast to the thread's windows. The host's threads are not touched. Destroy the
    // world outside its own broadcasts.
    void Listen();

private:
    struct Udev;
    struct Waiting;
    // Opens udev once the machine has USB in sysfs; whether it is open.
    bool Open();
    void Opened();

    sim::Workstation station_;
    std::unique_ptr<Udev> udev_;
    std::unique_ptr<Waiting> waiting_;  // what opening takes, until it succeeds
};

}  // namespace zt::udev
