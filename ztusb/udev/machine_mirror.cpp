#include "ztusb/udev/machine_mirror.h"

#include <algorithm>
#include <utility>

#include "ztusb/sim/announcements.h"
#include "ztusb/win32/broadcast_records.h"

namespace zt::sim {
namespace {

const MirroredDevice kNoDevice{};

const MirroredDevice& Find(const MachineMirror::Devices& devices, const std::string& key) {
    const auto found = devices.find(key);
    return found == devices.end() ? kNoDevice : found->second;
}

}  // namespace

void MachineMirror::Add(const MirroredDevice& device) {
    station_.Attach(device.serial);
    station_.Attach(device.storage);
}

void MachineMirror::Remove(const MirroredDevice& device) {
    station_.Detach(device.storage);
    station_.Detach(device.serial);
}

void MachineMirror::Attach(Devices present) {
    for (const auto& [key, device] : present_) Remove(device);
    present_ = std::move(present);
    for (const auto& [key, device] : present_) Add(device);
}

void MachineMirror::Update(Devices present) {
    Devices before = std::exchange(present_, std::move(present));
    for (const auto& [key, device] : before) Remove(device);
    for (const auto& [key, device] : present_) Add(device);
    // Removals first, each device's in the reverse of its arrival.
    for (const auto& [key, old] : before) {
        const MirroredDevice& now = Find(present_, key);
        const bool gone = now.serial.interfaceName != old.serial.interfaceName;
        AnnounceVolumes(DBT_DEVICEREMOVECOMPLETE, old.storage, (gone ? kNoDevice : now).storage);
        AnnouncePorts(DBT_DEVICEREMOVECOMPLETE, old.serial, (gone ? kNoDevice : now).serial);
        if (gone) AnnounceInterface(DBT_DEVICEREMOVECOMPLETE, old.serial.interfaceName);
    }
    for (const auto& [key, now] : present_) {
        const MirroredDevice& old = Find(before, key);
        const bool came = now.serial.interfaceName != old.serial.interfaceName;
        if (came) AnnounceInterface(DBT_DEVICEARRIVAL, now.serial.interfaceName);
        AnnouncePorts(DBT_DEVICEARRIVAL, now.serial, (came ? kNoDevice : old).serial);
        AnnounceVolumes(DBT_DEVICEARRIVAL, now.storage, (came ? kNoDevice : old).storage);
    }
}

}  // namespace zt::sim
