#pragma once
// The USB devices present on a machine with the names Windows gives them, none held twice:
// USB instances, COM names, disk numbers, drive letters. A device keeps what it holds while
// it is present; a newcomer takes what is free.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ztusb/udev/device_names.h"
#include "ztusb/udev/found_devices.h"
#include "ztusb/udev/machine_mirror.h"

namespace zt::udev {

class NamedDevices {
public:
    explicit NamedDevices(std::filesystem::path namesFile) : names_(std::move(namesFile)) {}

    struct Named {
        FoundUsbDevice found;  // with its COM names, disk numbers and drive letters
        String instance;
        std::vector<std::string> nameKeys;  // the COM and volume name keys it holds
    };
    // Devices by a key that names each while it is present (its sysfs path): its facts now,
    // or nothing for one that went.
    using Changes = std::map<std::string, std::optional<FoundUsbDevice>>;

    // Names the changed devices (in key order where several want one name) and mirrors them.
    MachineMirror::Changes Apply(Changes changes);

    const std::map<std::string, Named>& Present() const { return present_; }
    const FoundUsbDevice* Find(const std::string& key) const;
    // The keys present at a sysfs path and below it.
    std::vector<std::string> KeysAt(const std::string& path) const;

private:
    using Volumes = std::vector<std::pair<std::string, FoundPartition*>>;  // by key

    void Release(const Named& named);
    void Name(Named& named, const Named* before, Volumes& mounted);
    String DistinctInstance(const FoundUsbDevice& device);
    std::string DistinctKey(Named& named, const std::string& key);
    std::uint32_t DiskNumber(const FoundDisk& disk, const Named* before);
    void NameVolumes(const Volumes& mounted);

    DeviceNames names_;
    std::map<std::string, Named> present_;
    // What the devices present hold: instances in capitals, disk numbers, drive letters.
    std::multiset<String> instances_;
    std::set<std::uint32_t> disks_;
    std::set<char> letters_;
    std::set<std::string> nameKeys_;
};

}  // namespace zt::udev
