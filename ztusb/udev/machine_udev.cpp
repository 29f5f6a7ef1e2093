#include <libudev.h>
#include <poll.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "ztusb/host/application.h"
#include "ztusb/udev/machine.h"
#include "ztusb/udev/machine_mirror.h"
#include "ztusb/udev/monitor_receive.h"
#include "ztusb/udev/named_devices.h"
#include "ztusb/udev/udev_scan.h"
#include "ztusb/win32/message_sources_emu.h"

namespace zt::udev {
namespace {

// udev answers from sysfs; a container has none of its USB part.
bool HasUsbSysfs() {
    std::error_code error;
    return std::filesystem::exists("/sys/bus/usb", error);
}

}  // namespace

// The machine is read whole once; then each event reads again only the part it names, and a
// change of the mount table only the mounts. Events lost to a full socket, or a reading that
// failed, have the whole machine read again.
struct MachineWorld::Udev {
    Udev(sim::Workstation& station, MountTable mountTable, std::filesystem::path namesFile)
        : context(udev_new()), mounts(std::move(mountTable)), named(std::move(namesFile)), mirror(station) {}
    // The world's registry outlives it: take its ports out.
    ~Udev() {
        StopListening();
        mirror.DetachAll();
        if (monitor != nullptr) udev_monitor_unref(monitor);
        udev_unref(context);
    }

    // Made before the machine is first read, so that no event falls between.
    void Monitor() {
        monitor = udev_monitor_new_from_netlink(context, "udev");
        if (monitor == nullptr) return;
        for (const char* subsystem : {"usb", "tty", "block"}) {
            udev_monitor_filter_add_match_subsystem_devtype(monitor, subsystem, nullptr);
        }
        udev_monitor_enable_receiving(monitor);
    }

    // What the message loop watches: the monitor's events, then the mount table's changes
    // where the table has a descriptor to watch.
    std::vector<win32::emulated::SourceDescriptor> Watched() const {
        std::vector<win32::emulated::SourceDescriptor> watched = {{udev_monitor_get_fd(monitor), POLLIN, -1}};
        if (mounts.changes.Descriptor() >= 0) {
            watched.push_back({mounts.changes.Descriptor(), mounts.changes.Events(), mounts.changes.Twin()});
        }
        return watched;
    }

    void Listen() {
        if (listening || monitor == nullptr) return;  // no udev to hear from
        source = win32::emulated::AddMessageSource(Watched(), [this](const std::vector<short>& ready) { Poll(ready); });
        listening = true;
    }

    void StopListening() {
        if (!listening) return;
        win32::emulated::RemoveMessageSource(source);
        listening = false;
    }

    // One update for however many events came: a plug brings several. `ready` holds what the
    // monitor and the mount table reported, in the order Watched() gave them.
    void Poll(const std::vector<short>& ready) {
        const bool mountsChanged = ready.size() > 1 && (ready[1] & (mounts.changes.Events() | POLLERR)) != 0;
        bool lost = false;
        const std::vector<Uevent> events = (ready[0] & POLLIN) != 0 ? Receive(lost) : std::vector<Uevent>();
        // Out of the host's message loop nothing may escape: the failure is the host's to
        // show, and the next event reads the whole machine again.
        try {
            Update(events, lost || stale, mountsChanged);
            stale = false;
        } catch (...) {
            stale = true;
            host::HandleException(nullptr);
        }
    }

    std::vector<Uevent> Receive(bool& lost) {
        std::vector<Uevent> events;
        for (;;) {
            errno = 0;
            udev_device* event = ReceiveFromMonitor(monitor);
            if (event == nullptr && errno == ENOBUFS) {
                lost = true;
                continue;
            }
            if (event == nullptr) return events;
            events.push_back(UeventOf(event));
            udev_device_unref(event);
        }
    }

    void Update(const std::vector<Uevent>& events, bool everything, bool mountsChanged) {
        if (everything) return mirror.Update(named.Apply(Everything()));
        if (mountsChanged) points = ReadMountPoints(mounts);
        NamedDevices::Changes changes = Reread(RereadsFor(events));
        if (mountsChanged) AddMountChanges(changes);
        if (!changes.empty()) mirror.Update(named.Apply(std::move(changes)));
    }

    // Every device found now, and every one present that is not.
    NamedDevices::Changes Everything() {
        points = ReadMountPoints(mounts);
        NamedDevices::Changes changes;
        for (const auto& [key, present] : named.Present()) changes.emplace(key, std::nullopt);
        for (auto& [key, device] : ScanUsbDevices(context)) changes.insert_or_assign(key, std::move(device));
        ApplyMountsTo(changes);
        return changes;
    }

    NamedDevices::Changes Reread(const Rereads& rereads) {
        NamedDevices::Changes changes;
        std::set<std::string> trees = rereads.trees;
        for (const PartReread& part : rereads.parts) {
            if (!RereadPart(part, changes)) trees.insert(part.usbDevice);
        }
        for (const std::string& tree : trees) {
            for (const std::string& key : named.KeysAt(tree)) changes.insert_or_assign(key, std::nullopt);
            for (auto& [key, device] : ScanUsbDevicesAt(context, tree)) {
                changes.insert_or_assign(key, std::move(device));
            }
        }
        for (auto& [key, device] : changes) {
            if (Covered(key, rereads.gone)) device.reset();
        }
        ApplyMountsTo(changes);
        return changes;
    }

    // False for a device not known, or not there: its USB device is then read whole.
    bool RereadPart(const PartReread& part, NamedDevices::Changes& changes) {
        const FoundUsbDevice* present = named.Find(part.usbDevice);
        if (present == nullptr) return false;
        auto& device = changes.try_emplace(part.usbDevice, *present).first->second;
        return device && zt::udev::RereadPart(context, part.path, part.part, *device);
    }

    void ApplyMountsTo(NamedDevices::Changes& changes) const {
        for (auto& [key, device] : changes) {
            if (device) ApplyMounts(*device, points, mounts);
        }
    }

    // The devices present whose file systems were mounted, unmounted or moved.
    void AddMountChanges(NamedDevices::Changes& changes) const {
        for (const auto& [key, present] : named.Present()) {
            if (present.found.disks.empty() || changes.count(key) != 0) continue;
            FoundUsbDevice device = present.found;
            if (ApplyMounts(device, points, mounts)) changes.emplace(key, std::move(device));
        }
    }

    ::udev* context;
    MountTable mounts;
    MountPoints points;
    NamedDevices named;
    MachineMirror mirror;
    udev_monitor* monitor = nullptr;
    bool listening = false;
    bool stale = false;
    std::uint64_t source = 0;
};

// A machine without USB in sysfs yet (udev starting after the host, a test bed made after
// the program) is looked for again: at each Refresh, and every two seconds once it listens.
struct MachineWorld::Waiting {
    MountTable mounts;
    std::filesystem::path namesFile;
    int timer = -1;
    std::uint64_t source = 0;

    ~Waiting() { StopLooking(); }

    void LookEveryTwoSeconds(std::function<void()> look) {
        if (timer >= 0) return;
        timer = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
        const itimerspec period{{2, 0}, {2, 0}};
        if (timer < 0 || timerfd_settime(timer, 0, &period, nullptr) != 0) return;
        source = win32::emulated::AddMessageSource({{.fd = timer, .events = POLLIN, .twin = -1}}, [this, look](const std::vector<short>&) {
            std::uint64_t expirations = 0;
            [[maybe_unused]] const auto taken = read(timer, &expirations, sizeof expirations);
            look();
        });
    }

    void StopLooking() {
        if (timer < 0) return;
        win32::emulated::RemoveMessageSource(source);
        close(timer);
        timer = -1;
    }
};

MachineWorld::MachineWorld(MountTable mounts, std::filesystem::path namesFile)
    : waiting_(std::make_unique<Waiting>(Waiting{std::move(mounts), std::move(namesFile)})) {
    if (Open()) udev_->mirror.Attach(udev_->named.Apply(udev_->Everything()));
}

MachineWorld::~MachineWorld() = default;

bool MachineWorld::Open() {
    if (udev_) return true;
    if (!HasUsbSysfs()) return false;
    auto machine = std::make_unique<Udev>(station_, std::move(waiting_->mounts), waiting_->namesFile);
    if (machine->context == nullptr) {
        waiting_->mounts = std::move(machine->mounts);
        return false;
    }
    udev_ = std::move(machine);
    udev_->Monitor();
    return true;
}

// What the machine holds when its bus appeared is an arrival, as if plugged in then.
void MachineWorld::Opened() {
    waiting_.reset();
    udev_->mirror.Update(udev_->named.Apply(udev_->Everything()));
}

bool MachineWorld::Available() const { return udev_ != nullptr; }

const std::map<std::string, NamedDevices::Named>& MachineWorld::Present() const {
    static const std::map<std::string, NamedDevices::Named> none;
    return udev_ ? udev_->named.Present() : none;
}

void MachineWorld::Refresh() {
    if (udev_) {
        udev_->mirror.Update(udev_->named.Apply(udev_->Everything()));
    } else if (Open()) {
        Opened();
    }
}

void MachineWorld::Listen() {
    if (udev_) return udev_->Listen();
    waiting_->LookEveryTwoSeconds([this] {
        if (!Open()) return;
        Opened();
        udev_->Listen();
    });
}

}  // namespace zt::udev
