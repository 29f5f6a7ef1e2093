#pragma once
// USB devices plugged into and pulled out of a umockdev testbed in the kernel's order, for a
// host's tests run under umockdev-wrapper (umockdev-run -d gives only the devices present at
// the start). The process's udev and /sys, and its children's, are the testbed's while it
// lives. A reader that acts on the events, as the package's udev source does, meets no device
// half made: each is written whole (attributes, properties, links, node) before its "add"
// event, a parent before its children; on removal the children go first, each after its
// "remove" event. umockdev writes in place: a reader in another process is held meanwhile
// (SIGSTOP, then SIGCONT), or it may read a device half written. umockdev ends the process
// when a listener has ten events unread: let the loop run between plugs.
//
//     zt::testkit::UmockdevBed bed;
//     bed.Plug("tests/udev/host_controller.umockdev");  // the bus, before any device on it
//     bed.Plug("tests/udev/ft232r.umockdev");
//     ...                                                // the host hears the adapter arrive
//     bed.Unplug("tests/udev/ft232r.umockdev");

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "ztusb/export.h"

typedef struct _UMockdevTestbed UMockdevTestbed;  // as <umockdev.h> declares it

namespace zt::testkit {

class ZT_UMOCKDEV_API UmockdevBed {
public:
    // An empty testbed. Throws std::runtime_error outside umockdev-wrapper, where udev would
    // go on reading the machine's own /sys.
    UmockdevBed();
    ~UmockdevBed();
    UmockdevBed(const UmockdevBed&) = delete;
    UmockdevBed& operator=(const UmockdevBed&) = delete;

    // Adds the devices a file in umockdev-record's format describes. Devices the testbed
    // already holds (a controller or hub that descriptions share) stay as they are. Throws
    // std::runtime_error for a file that cannot be read, one umockdev refuses, or one plugged
    // in already.
    void Plug(const std::filesystem::path& description);
    // Removes what Plug added from the file. Throws std::invalid_argument for a file that is
    // not plugged in.
    void Unplug(const std::filesystem::path& description);

    // umockdev's own testbed, for what else a test changes (attributes, properties, events).
    UMockdevTestbed* Testbed() { return testbed_; }

private:
    UMockdevTestbed* testbed_;
    std::string sysDir_;
    std::map<std::filesystem::path, std::vector<std::string>> plugged_;  // sysfs paths, parents first
};

}  // namespace zt::testkit
