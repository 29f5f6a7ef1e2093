#pragma once
// Which file systems are mounted where, and how full they are: the system's own, or one a
// test gives.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ztusb/export.h"
#include "ztusb/world/former_namespace.h"

namespace zt::udev {

struct MountedFileSystem {
    std::string device;  // /dev/sdb1
    std::string mountPoint;
};

struct FileSystemSpace {
    std::uint64_t size;
    std::uint64_t free;  // what the user may still write
};

// Tells that a mount table changed: a file descriptor that poll() reports ready (with
// `Events()`) after each change. The system's tells each change once, to whoever polls first,
// so a twin, a second open of the same table, tells it to the package's loop when a host's
// loop has taken it from the first. Shared by the table's copies, closed with the last.
class ZT_UDEV_API MountTableWatch {
public:
    MountTableWatch() = default;  // for a table that never changes
    // Takes the descriptors over; -1 for no twin.
    MountTableWatch(int descriptor, short events, int twin = -1);

    int Descriptor() const { return descriptors_ ? descriptors_->first : -1; }
    int Twin() const { return descriptors_ ? descriptors_->second : -1; }
    short Events() const { return events_; }

private:
    std::shared_ptr<const std::pair<int, int>> descriptors_;
    short events_ = 0;
};

struct MountTable {
    std::function<std::vector<MountedFileSystem>()> mounted;
    std::function<std::optional<FileSystemSpace>(const std::string& mountPoint)> space;
    // Once it reports a change, `mounted` is read again.
    MountTableWatch changes;
};

// /proc/self/mounts (watched for changes) and statvfs.
ZT_UDEV_API MountTable SystemMountTable();

// The lines of a mounts file (/proc/self/mounts): device and mount point, with the octal
// escapes (\040 for a blank) undone.
ZT_UDEV_API std::vector<MountedFileSystem> ParseMounts(const std::string& text);

}  // namespace zt::udev
