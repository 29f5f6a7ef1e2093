#include "ztusb/udev/named_devices.h"

namespace zt::udev {
namespace {

constexpr std::uint32_t kFirstDisk = 1;  // disk 0 is the system's

const NamedDevices::Named* FindNamed(const std::map<std::string, NamedDevices::Named>& devices,
                                     const std::string& key) {
    const auto found = devices.find(key);
    return found == devices.end() ? nullptr : &found->second;
}

}  // namespace

MachineMirror::Changes NamedDevices::Apply(Changes changes) {
    std::map<std::string, Named> before;
    for (const auto& [key, found] : changes) {
        auto old = present_.extract(key);
        if (old.empty()) continue;
        Release(old.mapped());
        before.insert(std::move(old));
    }
    Volumes mounted;
    for (auto& [key, found] : changes) {
        if (!found) continue;
        Named& named = present_.insert_or_assign(key, Named{std::move(*found), {}, {}}).first->second;
        Name(named, FindNamed(before, key), mounted);
    }
    NameVolumes(mounted);
    MachineMirror::Changes mirrored;
    for (const auto& [key, found] : changes) {
        const Named* now = FindNamed(present_, key);
        mirrored.emplace(key, now == nullptr ? std::nullopt : std::optional(MirrorDevice(now->found, now->instance)));
    }
    return mirrored;
}

const FoundUsbDevice* NamedDevices::Find(const std::string& key) const {
    const Named* named = FindNamed(present_, key);
    return named == nullptr ? nullptr : &named->found;
}

std::vector<std::string> NamedDevices::KeysAt(const std::string& path) const {
    std::vector<std::string> keys;
    if (present_.count(path) != 0) keys.push_back(path);
    const std::string below = path + "/";
    for (auto key = present_.lower_bound(below); key != present_.end() && key->first.starts_with(below); ++key) {
        keys.push_back(key->first);
    }
    return keys;
}

void NamedDevices::Release(const Named& named) {
    const auto instance = instances_.find(host::UpperCase(named.instance));
    if (instance != instances_.end()) instances_.erase(instance);
    for (const std::string& key : named.nameKeys) nameKeys_.erase(key);
    for (const FoundDisk& disk : named.found.disks) {
        disks_.erase(disk.index);
        for (const FoundPartition& partition : disk.partitions) {
            if (!partition.letter.empty()) letters_.erase(static_cast<char>(partition.letter[0]));
        }
    }
}

void NamedDevices::Name(Named& named, const Named* before, Volumes& mounted) {
    FoundUsbDevice& device = named.found;
    named.instance = DistinctInstance(device);
    for (FoundTty& tty : device.ttys) {
        tty.port = names_.ComPort(DistinctKey(named, ComNameKey(device, named.instance, tty)));
    }
    for (FoundDisk& disk : device.disks) {
        disk.index = DiskNumber(disk, before);
        for (std::size_t i = 0; i < disk.partitions.size(); ++i) {
            FoundPartition& partition = disk.partitions[i];
            partition.letter.clear();
            if (!partition.mountPoint.empty()) {
                mounted.emplace_back(DistinctKey(named, VolumeNameKey(named.instance, disk, i)), &partition);
            }
        }
    }
}

// Two devices may well give the same serial; Windows then makes an instance for the second.
String NamedDevices::DistinctInstance(const FoundUsbDevice& device) {
    String instance = UsbInstance(device);
    if (instances_.count(host::UpperCase(instance)) != 0) instance = MadeUpInstance(device);
    instances_.insert(host::UpperCase(instance));
    return instance;
}

// The key of a name that no other name present holds. What a key is made of comes from the
// device (an interface number, a file system's UUID: a cloned stick shares its original's),
// and two names under one key would be one COM number for two ports, or two volumes taking
// each other's letter; a later one gets its place added.
std::string NamedDevices::DistinctKey(Named& named, const std::string& key) {
    std::string distinct = key;
    for (unsigned place = 2; !nameKeys_.insert(distinct).second; ++place) distinct = key + "#" + std::to_string(place);
    named.nameKeys.push_back(distinct);
    return distinct;
}

// A disk read again keeps its number; a new one takes the lowest free.
std::uint32_t NamedDevices::DiskNumber(const FoundDisk& disk, const Named* before) {
    std::uint32_t number = kFirstDisk;
    if (before != nullptr) {
        for (const FoundDisk& held : before->found.disks) {
            if (held.node == disk.node && disks_.count(held.index) == 0) number = held.index;
        }
    }
    while (disks_.count(number) != 0) ++number;
    disks_.insert(number);
    return number;
}

void NamedDevices::NameVolumes(const Volumes& mounted) {
    std::vector<std::string> keys;
    for (const auto& [key, partition] : mounted) keys.push_back(key);
    const std::vector<String> letters = names_.DriveLetters(keys, letters_);
    for (std::size_t i = 0; i < mounted.size(); ++i) {
        mounted[i].second->letter = letters[i];
        if (!letters[i].empty()) letters_.insert(static_cast<char>(letters[i][0]));
    }
}

}  // namespace zt::udev
