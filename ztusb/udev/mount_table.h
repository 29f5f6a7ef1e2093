#pragma once
// Which file systems are mounted where, and how full they are: the system's own, or one a
// test gives.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ztusb/export.h"

namespace zt::sim {

struct MountedFileSystem {
    std::string device;  // /dev/sdb1
    std::string mountPoint;
};

struct FileSystemSpace {
    std::uint64_t size;
    std::uint64_t free;  // what the user may still write
};

struct MountTable {
    std::function<std::vector<MountedFileSystem>()> mounted;
    std::function<std::optional<FileSystemSpace>(const std::string& mountPoint)> space;
};

// /proc/self/mounts and statvfs.
ZT_UDEV_API MountTable SystemMountTable();

// The lines of a mounts file (/proc/self/mounts): device and mount point, with the octal
// escapes (\040 for a blank) undone.
ZT_UDEV_API std::vector<MountedFileSystem> ParseMounts(const std::string& text);

}  // namespace zt::sim
