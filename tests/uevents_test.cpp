// Which part of the machine udev's events have read again: the USB device a path lies in,
// read whole once however many of its parts an event batch names.
#include <gtest/gtest.h>

#include "ztusb/udev/uevents.h"

namespace {

using zt::udev::DevicePart;
using zt::udev::Uevent;

constexpr char kBus[] = "/sys/devices/pci0000:00/0000:00:14.0/usb1";

TEST(Uevents, APathBelongsToTheDeepestUsbDeviceAboveIt) {
    const std::string bus = kBus;
    struct Row {
        std::string path;
        std::string usbDevice;
    };
    for (const Row& row : {Row{bus + "/1-2", bus + "/1-2"},
                           Row{bus + "/1-2/1-2:1.0/ttyUSB0/tty/ttyUSB0", bus + "/1-2"},
                           Row{bus + "/1-4/1-4.2/1-4.2:1.0", bus + "/1-4/1-4.2"},
                           Row{bus + "/1-6/1-6:1.0/host6/target6:0:0/6:0:0:0/block/sdb/sdb1", bus + "/1-6"},
                           Row{bus, bus},
                           Row{bus + "/1-0:1.0", bus},
                           // Outside USB: a SATA disk, a virtual console, an I2C device named like a port path.
                           Row{"/sys/devices/pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0/block/sda", ""},
                           Row{"/sys/devices/virtual/tty/tty1", ""},
                           Row{"/sys/devices/pci0000:00/0000:00:02.0/i2c-0/0-0050", ""}}) {
        EXPECT_EQ(zt::udev::UsbDeviceOf(row.path), row.usbDevice) << row.path;
    }
}

TEST(Uevents, ABatchReadsEachUsbDeviceOnceAndAChangeAloneOnlyWhereNothingIsReadWhole) {
    const std::string hub = std::string(kBus) + "/1-4";
    const std::string stick = std::string(kBus) + "/1-6";
    const std::string disk = stick + "/1-6:1.0/host6/target6:0:0/6:0:0:0/block/sdb";
    const auto rereads = zt::udev::RereadsFor({{"add", hub, "usb", "usb_device"},
                                              {"add", hub + "/1-4.2", "usb", "usb_device"},
                                              {"add", hub + "/1-4.2/1-4.2:1.0/ttyUSB3/tty/ttyUSB3", "tty", ""},
                                              {"change", hub + "/1-4.3", "usb", "usb_device"},
                                              {"change", disk + "/sdb1", "block", "partition"},
                                              {"change", disk, "block", "disk"},
                                              {"change", stick, "usb", "usb_device"},
                                              {"change", stick + "/1-6:1.0", "usb", "usb_interface"},
                                              {"remove", "/sys/devices/virtual/tty/tty1", "tty", ""}});
    EXPECT_EQ(rereads.trees, (std::set<std::string>{hub}));
    ASSERT_EQ(rereads.parts.size(), 3u);
    const zt::udev::DevicePart parts[] = {zt::udev::DevicePart::Partition, zt::udev::DevicePart::Disk, zt::udev::DevicePart::UsbAttributes};
    const std::string paths[] = {disk + "/sdb1", disk, stick};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(rereads.parts[i].usbDevice, stick);
        EXPECT_EQ(rereads.parts[i].path, paths[i]);
        EXPECT_EQ(rereads.parts[i].part, parts[i]);
    }
}

// The kernel's word that a device went stands, whatever sysfs shows when it is read; a device
// plugged back in the same batch is there again.
TEST(Uevents, ADeviceRemovedIsGoneUnlessItCameBack) {
    const std::string adapter = std::string(kBus) + "/1-2";
    const std::string board = std::string(kBus) + "/1-7";
    const auto rereads = zt::udev::RereadsFor({{"remove", adapter + "/1-2:1.0/ttyUSB0/tty/ttyUSB0", "tty", ""},
                                              {"remove", adapter, "usb", "usb_device"},
                                              {"remove", board, "usb", "usb_device"},
                                              {"add", board, "usb", "usb_device"}});
    EXPECT_EQ(rereads.gone, (std::set<std::string>{adapter}));
    EXPECT_TRUE(zt::udev::Covered(adapter + "/1-2:1.0", rereads.gone));
    EXPECT_FALSE(zt::udev::Covered(adapter + "1", rereads.gone));
}

}  // namespace
