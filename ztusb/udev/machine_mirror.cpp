#include "ztusb/udev/machine_mirror.h"

#include <stdexcept>
#include <utility>
#include <vector>

#include "ztusb/sim/announcements.h"
#include "ztusb/win32/broadcast_records.h"
#include "ztusb/win32/windows_names.h"

namespace zt::udev {
namespace {

const MirroredDevice kNoDevice{};

const MirroredDevice& Find(const MachineMirror::Devices& devices, const std::string& key) {
    const auto found = devices.find(key);
    return found == devices.end() ? kNoDevice : found->second;
}

}  // namespace

// Where the machine has it; a place sysfs gave that the world cannot take (its hub not a
// hub to the world, a bus past what it knows) does not keep the device out.
void MachineMirror::Add(const MirroredDevice& device) {
    try {
        station_.Attach(device, device.location);
    } catch (const std::invalid_argument&) {
        station_.Attach(device);
    }
}

void MachineMirror::Remove(const MirroredDevice& device) { station_.Detach(device); }

// Keys are sysfs paths, a hub's before those of what is plugged into it: what hangs from a
// hub goes before the hub and comes after it.
MachineMirror::Devices MachineMirror::Apply(Changes changes) {
    // A hub read again is taken out and put back: what hangs from it goes out and back with it.
    for (const auto& [key, device] : present_) {
        for (std::size_t cut = key.rfind('/'); cut != std::string::npos && cut > 0; cut = key.rfind('/', cut - 1)) {
            if (changes.count(key.substr(0, cut)) != 0) {
                changes.try_emplace(key, device);
                break;
            }
        }
    }
    Devices before;
    for (auto change = changes.rbegin(); change != changes.rend(); ++change) {
        auto old = present_.extract(change->first);
        if (old.empty()) continue;
        Remove(old.mapped());
        before.insert(std::move(old));
    }
    for (auto& [key, now] : changes) {
        if (!now) continue;
        Add(*now);
        present_.insert_or_assign(key, std::move(*now));
    }
    return before;
}

void MachineMirror::Attach(Changes changes) { Apply(std::move(changes)); }

void MachineMirror::DetachAll() {
    for (auto device = present_.rbegin(); device != present_.rend(); ++device) Remove(device->second);
    present_.clear();
}

// Devices that did not change broadcast nothing: only the changed ones are looked at.
void MachineMirror::Update(Changes changes) {
    std::vector<std::string> keys;
    for (const auto& [key, now] : changes) keys.push_back(key);
    const Devices before = Apply(std::move(changes));
    // Removals first, each device's in the reverse of its arrival, what hangs from a hub
    // before the hub.
    for (auto leaving = before.rbegin(); leaving != before.rend(); ++leaving) {
        const auto& [key, old] = *leaving;
        const MirroredDevice& now = Find(present_, key);
        const bool gone = now.serial.interfaceName != old.serial.interfaceName;
        sim::AnnounceVolumes(DBT_DEVICEREMOVECOMPLETE, old.storage, (gone ? kNoDevice : now).storage);
        sim::AnnouncePorts(DBT_DEVICEREMOVECOMPLETE, old.serial, (gone ? kNoDevice : now).serial);
        if (gone) sim::AnnounceInterface(DBT_DEVICEREMOVECOMPLETE, old.serial.interfaceName);
    }
    for (const std::string& key : keys) {
        const auto present = present_.find(key);
        if (present == present_.end()) continue;
        const MirroredDevice& now = present->second;
        const MirroredDevice& old = Find(before, key);
        const bool came = now.serial.interfaceName != old.serial.interfaceName;
        if (came) sim::AnnounceInterface(DBT_DEVICEARRIVAL, now.serial.interfaceName);
        sim::AnnouncePorts(DBT_DEVICEARRIVAL, now.serial, (came ? kNoDevice : old).serial);
        sim::AnnounceVolumes(DBT_DEVICEARRIVAL, now.storage, (came ? kNoDevice : old).storage);
    }
}

}  // namespace zt::udev
