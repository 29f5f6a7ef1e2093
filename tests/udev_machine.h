#pragma once
// A machine made of umockdev device descriptions (tests/udev/*.umockdev), for tests run
// under umockdev-wrapper: udev answers from the package's testbed, which plugs and unplugs
// them whole, mounts from a table the test gives, which tells the world of each change as the
// system's does.

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <umockdev.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include "ztusb/testkit/umockdev_bed.h"
#include "ztusb/udev/machine.h"

namespace zt::testing {

class UdevMachine {
public:
    UdevMachine()
        : changes_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC), POLLIN, eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
        gchar* root = umockdev_testbed_get_root_dir(bed_.Testbed());
        namesFile_ = std::filesystem::path(root).parent_path() /
                     ("names-" + std::filesystem::path(root).filename().string());
        g_free(root);
        std::filesystem::remove(namesFile_);
    }
    ~UdevMachine() { std::filesystem::remove(namesFile_); }
    UdevMachine(const UdevMachine&) = delete;
    UdevMachine& operator=(const UdevMachine&) = delete;

    // Plugs the devices of tests/udev/<name>.umockdev in, below the machine's USB controller
    // and root hubs (added with the first; a testbed without them is a machine without USB).
    void Load(const std::string& name) {
        if (!controller_) {
            controller_ = true;
            if (name != "host_controller") Load("host_controller");
        }
        bed_.Plug(File(name));
    }
    void Unplug(const std::string& name) { bed_.Unplug(File(name)); }

    // Mounts a partition's node at a mount point holding `size` bytes, `free` of them free.
    void Mount(const std::string& node, const std::string& mountPoint, std::uint64_t size,
               std::uint64_t free) {
        mounts_[node] = {mountPoint, {size, free}};
        Changed();
    }
    void Unmount(const std::string& node) {
        mounts_.erase(node);
        Changed();
    }

    udev::MountTable Mounts() {
        return {[this] {
                    // Read, the table has no change left to tell.
                    Take(changes_.Descriptor());
                    Take(changes_.Twin());
                    std::vector<udev::MountedFileSystem> mounted;
                    for (const auto& [node, mount] : mounts_) mounted.push_back({node, mount.first});
                    return mounted;
                },
                [this](const std::string& mountPoint) -> std::optional<udev::FileSystemSpace> {
                    for (const auto& [node, mount] : mounts_) {
                        if (mount.first == mountPoint) return mount.second;
                    }
                    return std::nullopt;
                },
                changes_};
    }

    // What the system's table does when someone else polls it after a change: that poll
    // takes the change, and only the twin still has it to tell.
    void ChangeTakenByAnotherPoll() { Take(changes_.Descriptor()); }

    UMockdevTestbed* Testbed() { return bed_.Testbed(); }
    const std::filesystem::path& NamesFile() const { return namesFile_; }

private:
    static std::string File(const std::string& name) { return std::string(ZT_UDEV_DEVICES) + "/" + name + ".umockdev"; }
    void Changed() {
        const std::uint64_t one = 1;
        for (const int descriptor : {changes_.Descriptor(), changes_.Twin()}) {
            EXPECT_EQ(write(descriptor, &one, sizeof one), static_cast<ssize_t>(sizeof one));
        }
    }
    static void Take(int descriptor) {
        [[maybe_unused]] std::uint64_t changes = 0;
        [[maybe_unused]] const auto taken = read(descriptor, &changes, sizeof changes);
    }

    testkit::UmockdevBed bed_;
    udev::MountTableWatch changes_;
    std::filesystem::path namesFile_;
    bool controller_ = false;
    std::map<std::string, std::pair<std::string, udev::FileSystemSpace>> mounts_;
};

}  // namespace zt::testing
