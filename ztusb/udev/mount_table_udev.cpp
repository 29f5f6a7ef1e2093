#include <fcntl.h>
#include <poll.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ztusb/udev/mount_table.h"

namespace zt::udev {
namespace {

std::string Unescaped(const std::string& field) {
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const auto digit = [&](std::size_t at, char highest) {
            return at < field.size() && field[at] >= '0' && field[at] <= highest;
        };
        const bool octal = field[i] == '\\' && digit(i + 1, '3') && digit(i + 2, '7') && digit(i + 3, '7');
        if (!octal) {
            text += field[i];
            continue;
        }
        text += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
        i += 3;
    }
    return text;
}

// Mounted through a link such as /dev/disk/by-uuid/...: the node itself.
std::string DeviceNode(const std::string& device) {
    if (!device.starts_with("/dev/")) return device;
    std::error_code error;
    const std::filesystem::path node = std::filesystem::canonical(device, error);
    return error ? device : node.string();
}

std::vector<MountedFileSystem> SystemMounts() {
    std::ifstream file("/proc/self/mounts");
    std::stringstream text;
    text << file.rdbuf();
    std::vector<MountedFileSystem> mounts = ParseMounts(text.str());
    for (MountedFileSystem& mount : mounts) mount.device = DeviceNode(mount.device);
    return mounts;
}

std::optional<FileSystemSpace> SystemSpace(const std::string& mountPoint) {
    struct statvfs info {};
    if (statvfs(mountPoint.c_str(), &info) != 0) return std::nullopt;
    return FileSystemSpace{static_cast<std::uint64_t>(info.f_blocks) * info.f_frsize,
                           static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize};
}

}  // namespace

std::vector<MountedFileSystem> ParseMounts(const std::string& text) {
    std::vector<MountedFileSystem> mounts;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint;
        if (fields >> device >> mountPoint) mounts.push_back({Unescaped(device), Unescaped(mountPoint)});
    }
    return mounts;
}

MountTableWatch::MountTableWatch(int descriptor, short events, int twin)
    : descriptors_(descriptor < 0 ? nullptr : new std::pair<int, int>(descriptor, twin),
                   [](const std::pair<int, int>* owned) {
                       if (owned == nullptr) return;
                       close(owned->first);
                       if (owned->second >= 0) close(owned->second);
                       delete owned;
                   }),
      events_(events) {}

// The kernel flags the mounts file as urgent after each change.
MountTable SystemMountTable() {
    const auto watched = [] { return open("/proc/self/mounts", O_RDONLY | O_CLOEXEC); };
    return {SystemMounts, SystemSpace, MountTableWatch(watched(), POLLPRI, watched())};
}

}  // namespace zt::udev
