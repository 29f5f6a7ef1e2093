#include <libudev.h>

#include <filesystem>

#include "sim/machine.h"
#include "sim/machine_mirror.h"
#include "sim/udev_scan.h"

namespace zt::sim {
namespace {

// udev answers from sysfs; a container has none of its USB part.
bool HasUsbSysfs() {
    std::error_code error;
    return std::filesystem::exists("/sys/bus/usb", error);
}

}  // namespace

struct MachineWorld::Udev {
    Udev(Workstation& station, MountTable mountTable, std::filesystem::path namesFile)
        : context(udev_new()), mounts(std::move(mountTable)), names(std::move(namesFile)), mirror(station) {}
    // The world's registry outlives it: take its ports out.
    ~Udev() {
        mirror.Attach(MachineMirror::Devices());
        udev_unref(context);
    }

    MachineMirror::Devices Read() { return MirrorDevices(ScanUsbDevices(context, mounts), names); }

    udev* context;
    MountTable mounts;
    DeviceNames names;
    MachineMirror mirror;
};

MachineWorld::MachineWorld(MountTable mounts, std::filesystem::path namesFile) {
    if (!HasUsbSysfs()) return;
    auto machine = std::make_unique<Udev>(station_, std::move(mounts), std::move(namesFile));
    if (machine->context == nullptr) return;
    udev_ = std::move(machine);
    udev_->mirror.Attach(udev_->Read());
}

MachineWorld::~MachineWorld() = default;

bool MachineWorld::Available() const { return udev_ != nullptr; }

void MachineWorld::Refresh() {
    if (udev_) udev_->mirror.Update(udev_->Read());
}

}  // namespace zt::sim
