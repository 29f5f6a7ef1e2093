#include <fcntl.h>
#include <libudev.h>
#include <poll.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "ztusb/host/application.h"
#include "ztusb/udev/machine.h"
#include "ztusb/udev/machine_mirror.h"
#include "ztusb/udev/udev_scan.h"
#include "ztusb/win32/message_sources_emu.h"

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
        StopListening();
        mirror.Attach(MachineMirror::Devices());
        udev_unref(context);
    }

    MachineMirror::Devices Read() { return MirrorDevices(ScanUsbDevices(context, mounts), names); }

    void Listen() {
        if (monitor != nullptr) return;
        monitor = udev_monitor_new_from_netlink(context, "udev");
        if (monitor == nullptr) return;
        for (const char* subsystem : {"usb", "tty", "block"}) {
            udev_monitor_filter_add_match_subsystem_devtype(monitor, subsystem, nullptr);
        }
        udev_monitor_enable_receiving(monitor);
        mountTable = open("/proc/self/mounts", O_RDONLY | O_CLOEXEC);
        std::vector<win32::emulated::SourceDescriptor> watched = {{udev_monitor_get_fd(monitor), POLLIN}};
        if (mountTable >= 0) watched.push_back({mountTable, POLLPRI});
        source = win32::emulated::AddMessageSource(std::move(watched),
                                                   [this](const std::vector<short>& ready) { Poll(ready); });
    }

    void StopListening() {
        if (monitor == nullptr) return;
        win32::emulated::RemoveMessageSource(source);
        if (mountTable >= 0) close(mountTable);
        udev_monitor_unref(monitor);
        monitor = nullptr;
    }

    // One reading for however many events came: a plug brings several. `ready` holds what
    // the monitor and the mount table reported, in the order they were added.
    void Poll(const std::vector<short>& ready) {
        bool changed = ready.size() > 1 && (ready[1] & (POLLPRI | POLLERR)) != 0;
        if ((ready[0] & POLLIN) != 0) {
            while (udev_device* event = udev_monitor_receive_device(monitor)) {
                udev_device_unref(event);
                changed = true;
            }
        }
        if (!changed) return;
        // Out of the host's message loop nothing may escape: the failure is the host's to
        // show, and the next event reads the machine afresh.
        try {
            mirror.Update(Read());
        } catch (...) {
            host::HandleException(nullptr);
        }
    }

    udev* context;
    MountTable mounts;
    DeviceNames names;
    MachineMirror mirror;
    udev_monitor* monitor = nullptr;
    int mountTable = -1;
    std::uint64_t source = 0;
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

void MachineWorld::Listen() {
    if (udev_) udev_->Listen();
}

}  // namespace zt::sim
