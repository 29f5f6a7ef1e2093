// COM numbers and drive letters given as Windows gives them, kept in a state file, and the
// names Windows gives file systems and volume serials.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "ztusb/devices/devices.h"
#include "ztusb/devices/machine_source.h"
#include "ztusb/devices/world_in_use.h"
#include "ztusb/udev/device_names.h"
#include "ztusb/udev/found_devices.h"
#include "ztusb/udev/named_devices.h"
#include "ztusb/sim/workstation.h"

namespace {

zt::udev::FoundUsbDevice Usb(const std::string& location, const std::string& vendor, const std::string& product,
                            const std::string& serial, const std::string& name,
                            std::vector<zt::udev::FoundTty> ttys = {}) {
    return {.location = location, .vendorId = vendor, .productId = product, .serial = serial,
            .manufacturer = "Maker", .product = name, .interfaceCount = 1, .hub = false,
            .ttys = std::move(ttys), .disks = {}};
}

zt::udev::FoundDisk Disk(const std::string& node, std::vector<zt::udev::FoundPartition> partitions) {
    return {.node = node, .vendor = "SanDisk", .model = "Cruzer", .revision = "1.00", .lun = 0,
            .interfaceNumber = 0, .removable = true, .uas = false, .gpt = false, .index = 0,
            .partitions = std::move(partitions)};
}

using zt::host::String;
using zt::udev::DeviceNames;

class NamesFile : public ::testing::Test {
protected:
    NamesFile()
        : file(std::filesystem::temp_directory_path() /
               ("zt-names-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())) /
               "device-names") {
        std::filesystem::remove_all(file.parent_path());
    }
    ~NamesFile() override { std::filesystem::remove_all(file.parent_path()); }

    std::filesystem::path file;
};

TEST_F(NamesFile, ComNumbersStayWithTheirDevicesAcrossRestartsAndNewOnesTakeTheLowestFree) {
    {
        zt::udev::DeviceNames names(file);
        EXPECT_EQ(names.ComPort("ftdi"), u"COM1");
        EXPECT_EQ(names.ComPort("ch340"), u"COM2");
        EXPECT_EQ(names.ComPort("ftdi"), u"COM1");
    }
    std::ofstream(file, std::ios::app) << "com\t4\tpico\n";
    zt::udev::DeviceNames names(file);
    EXPECT_EQ(names.ComPort("ch340"), u"COM2");
    EXPECT_EQ(names.ComPort("cp210x"), u"COM3");
    EXPECT_EQ(names.ComPort("another"), u"COM5");  // COM4 is the absent Pico's
}

TEST_F(NamesFile, LettersAreKeptUnlessTakenAndRunOutAfterZ) {
    {
        zt::udev::DeviceNames names(file);
        EXPECT_EQ(names.DriveLetters({"stick", "disk"}), (std::vector<String>{u"D:", u"E:"}));
    }
    zt::udev::DeviceNames names(file);
    // The disk keeps E: although it comes first now; the newcomer takes the lowest free.
    EXPECT_EQ(names.DriveLetters({"new", "disk"}), (std::vector<String>{u"D:", u"E:"}));
    EXPECT_EQ(names.DriveLetters({"stick", "new"}), (std::vector<String>{u"D:", u"E:"}));
    // Letters held by volumes present apart from these are taken.
    EXPECT_EQ(names.DriveLetters({"stick", "other"}, {'D', 'F'}), (std::vector<String>{u"E:", u"G:"}));
    std::vector<std::string> many;
    for (int i = 0; i < 24; ++i) many.push_back("volume" + std::to_string(i));
    const std::vector<String> letters = names.DriveLetters(many);
    EXPECT_EQ(letters[22], u"Z:");
    EXPECT_EQ(letters[23], u"");  // D: to Z: are 23 letters
}

// The state file is the user's: damaged lines are passed over, and a key that would break a
// line (it comes from a device) is used but not written.
TEST_F(NamesFile, DamagedLinesAndUnstorableKeysLeaveTheFileReadable) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << "com\tx\tbad\ncom\t0\tzero\nletter\tC:\tsystem\nletter\tC\tsystem\n"
                           "nonsense\ncom\t7\tkept\nletter\tQ\tkeptvolume\n";
    {
        zt::udev::DeviceNames names(file);
        EXPECT_EQ(names.ComPort("kept"), u"COM7");
        EXPECT_EQ(names.ComPort("bad"), u"COM1");
        EXPECT_EQ(names.ComPort("line\nbreak"), u"COM2");
        EXPECT_EQ(names.DriveLetters({"system", "keptvolume"}), (std::vector<String>{u"D:", u"Q:"}));
    }
    zt::udev::DeviceNames names(file);
    EXPECT_EQ(names.ComPort("bad"), u"COM1");
    EXPECT_EQ(names.ComPort("kept"), u"COM7");
    EXPECT_EQ(names.ComPort("line\nbreak"), u"COM2");  // not kept: the lowest free again
}

TEST(WindowsNames, FileSystemsAndVolumeSerialsAreNamedAsWindowsShowsThem) {
    struct Case {
        const char* type;
        const char* version;
        const char16_t* fileSystem;
    };
    for (const Case& c : {Case{"vfat", "FAT32", u"FAT32"}, Case{"vfat", "FAT16", u"FAT"},
                          Case{"vfat", "FAT12", u"FAT"}, Case{"exfat", "1.0", u"exFAT"},
                          Case{"ntfs", "", u"NTFS"}, Case{"ntfs3", "", u"NTFS"},
                          Case{"iso9660", "Joliet Extension", u"CDFS"}, Case{"ext4", "1.0", u"EXT4"},
                          Case{"a b\\c", "", u"A_B_C"}}) {
        EXPECT_EQ(zt::udev::WindowsFileSystem(c.type, c.version), c.fileSystem) << c.type;
    }
    struct Serial {
        const char* uuid;
        const char16_t* shown;
    };
    for (const Serial& s : {Serial{"1a2b-3c4d", u"1A2B3C4D"}, Serial{"0123456789ABCDEF", u"89ABCDEF"},
                            Serial{"", u""}, Serial{"3f1c2a44-9d1e-4d4b-8c55-0d9b1f7d1e2a", u""},
                            Serial{"12-34", u""}}) {
        EXPECT_EQ(zt::udev::VolumeSerial(s.uuid), s.shown) << s.uuid;
    }
}

// Two adapters with the same serial (cheap clones share one) must not collide: Windows makes
// an instance for the second from the port it sits in.
TEST_F(NamesFile, DevicesWithTheSameSerialGetDistinctInstances) {
    const zt::udev::FoundUsbDevice clone = Usb("1-1", "1a86", "7523", "0001", "USB Serial",
                                              {{.node = "/dev/ttyUSB0", .interfaceNumber = 0, .port = {}}});
    zt::udev::FoundUsbDevice twin = clone;
    twin.location = "1-2";
    twin.ttys[0].node = "/dev/ttyUSB1";
    zt::udev::NamedDevices named(file);
    const auto mirrored = named.Apply({{"a", clone}, {"b", twin}});
    ASSERT_EQ(mirrored.size(), 2u);
    const auto deviceId = [](const std::optional<zt::udev::MirroredDevice>& device) {
        return device->serial.entities[0][3].second;
    };
    EXPECT_EQ(deviceId(mirrored.at("a")), u"USB\\VID_1A86&PID_7523\\0001");
    EXPECT_TRUE(deviceId(mirrored.at("b")).starts_with(u"USB\\VID_1A86&PID_7523\\5&"))
        << zt::host::ToUtf8(deviceId(mirrored.at("b")));
    EXPECT_EQ(mirrored.at("a")->serial.ports[0].name, u"COM1");
    EXPECT_EQ(mirrored.at("b")->serial.ports[0].name, u"COM2");
    // A third clone comes later: its key sorts first, but the serial stays the first one's,
    // also when that one is read again.
    zt::udev::FoundUsbDevice third = twin;
    third.location = "1-3";
    EXPECT_NE(deviceId(named.Apply({{"0", third}}).at("0")), deviceId(mirrored.at("a")));
    EXPECT_EQ(deviceId(named.Apply({{"a", clone}}).at("a")), deviceId(mirrored.at("a")));
    // Gone, it leaves the serial to the next.
    named.Apply({{"a", std::nullopt}});
    EXPECT_EQ(deviceId(named.Apply({{"c", clone}}).at("c")), deviceId(mirrored.at("a")));
}

// Windows numbers a disk when it arrives, the lowest number free, and keeps it while the
// disk is present: a disk read again (its file system mounted) keeps its number.
TEST_F(NamesFile, DiskNumbersStayWhilePresentAndNewcomersTakeTheLowestFree) {
    const auto stick = [](const std::string& node) {
        zt::udev::FoundUsbDevice device = Usb("1-" + node, "0781", "5567", "S" + node, "Stick");
        device.disks.push_back(Disk("/dev/" + node, {}));
        return device;
    };
    const auto number = [](const zt::udev::MachineMirror::Changes& mirrored, const std::string& key) {
        return mirrored.at(key)->storage.drives.at(0).index;
    };
    zt::udev::NamedDevices named(file);
    const auto first = named.Apply({{"a", stick("sdb")}, {"b", stick("sdc")}});
    EXPECT_EQ(number(first, "a"), 1u);
    EXPECT_EQ(number(first, "b"), 2u);
    named.Apply({{"a", std::nullopt}});
    EXPECT_EQ(number(named.Apply({{"b", stick("sdc")}}), "b"), 2u);
    EXPECT_EQ(number(named.Apply({{"c", stick("sdd")}}), "c"), 1u);
    EXPECT_EQ(number(named.Apply({{"d", stick("sde")}}), "d"), 3u);
}

}  // namespace

namespace {

// A cloned stick shares its original's file-system UUID: with both present, each keeps a
// letter of its own, the same after a restart.
TEST_F(NamesFile, VolumesSharingAUuidKeepLettersOfTheirOwnAcrossRestarts) {
    const zt::udev::FoundPartition volume{.node = "/dev/sdb1", .number = 1, .size = 1000, .fileSystem = "vfat",
                                         .fileSystemVersion = "FAT32", .label = "STICK", .uuid = "1A2B-3C4D",
                                         .mountPoint = "/media/a", .letter = {}, .fileSystemSize = 1000,
                                         .freeSpace = 500};
    zt::udev::FoundUsbDevice original = Usb("1-1", "0781", "5567", "AAA1", "Stick");
    original.disks.push_back(Disk("/dev/sdb", {volume}));
    zt::udev::FoundUsbDevice clone = original;
    clone.location = "1-2";
    clone.serial = "AAA2";
    const auto letters = [&] {
        zt::udev::NamedDevices named(file);
        const auto mirrored = named.Apply({{"a", original}, {"b", clone}});
        return std::vector<String>{mirrored.at("a")->storage.drives[0].volumes[0].letter,
                                   mirrored.at("b")->storage.drives[0].volumes[0].letter};
    };
    const std::vector<String> first = letters();
    EXPECT_EQ(first, (std::vector<String>{u"D:", u"E:"}));
    EXPECT_EQ(letters(), first);
}

// A file system udev did not name, mounted all the same, is a lettered volume on Windows: the
// device's record holds it with that letter too.
TEST_F(NamesFile, AMountedVolumeOfAnUnknownFileSystemIsInTheRecordWithItsLetter) {
    const zt::udev::FoundPartition unknown{.node = "/dev/sdb1", .number = 1, .size = 1000, .fileSystem = "",
                                          .fileSystemVersion = "", .label = "", .uuid = "", .mountPoint = "/media/a",
                                          .letter = {}, .fileSystemSize = 1000, .freeSpace = 500};
    zt::udev::FoundUsbDevice stick = Usb("1-1", "0781", "5567", "AAA1", "Stick");
    stick.disks.push_back(Disk("/dev/sdb", {unknown}));
    zt::udev::NamedDevices named(file);
    const auto mirrored = named.Apply({{"a", stick}});
    ASSERT_EQ(mirrored.at("a")->storage.drives.at(0).volumes.at(0).letter, u"D:");
    const zt::devices::UsbDevice record = zt::devices::MachineRecord(named.Present().at("a"));
    ASSERT_EQ(record.volumes.size(), 1u);
    EXPECT_EQ(record.volumes[0].letter, "D:");
    EXPECT_EQ(record.volumes[0].mountPoint, "/media/a");
}

// Ports or disks whose device IDs would coincide: four ports on one interface (such chips
// exist), FTDI interfaces past the channel letter Z, a port beside a disk on a device that
// counts one interface (a device may say anything), two mass storage interfaces each with
// its LUN 0, with or without a serial, on USB-attached SCSI too, ports on a hub. Each keeps its own, and the
// device is one record with all its ports.
TEST_F(NamesFile, PortsAndDisksThatWouldShareADeviceIdKeepOnesOfTheirOwn) {
    struct Case {
        const char* vendor;
        const char* serial;
        std::vector<unsigned> ports;  // their interfaces
        std::vector<unsigned> disks;
        unsigned interfaceCount;
        bool uas;
        bool hub;
    };
    for (const Case& c : {Case{"9710", "MCS01", {0, 0, 0, 0}, {}, 1, false, false},
                          Case{"0403", "MCS01", {26, 27, 25}, {}, 1, false, false},
                          Case{"1a86", "MCS01", {0}, {0}, 1, false, false}, Case{"0781", "MCS01", {}, {0, 1}, 2, false, false},
                          Case{"0781", "", {}, {0, 1}, 2, false, false}, Case{"04e8", "", {}, {0, 1}, 2, true, false},
                          Case{"05e3", "", {0, 0}, {}, 1, false, true}}) {
        zt::udev::FoundUsbDevice chip = Usb("1-3", c.vendor, "7840", c.serial, "USB-Serial");
        chip.interfaceCount = c.interfaceCount;
        chip.hub = c.hub;
        for (const unsigned interfaceNumber : c.ports) {
            chip.ttys.push_back({.node = "/dev/ttyUSB" + std::to_string(chip.ttys.size()),
                                 .interfaceNumber = interfaceNumber, .port = {}});
        }
        for (const unsigned interfaceNumber : c.disks) {
            chip.disks.push_back(Disk("/dev/sd" + std::string(1, static_cast<char>('b' + chip.disks.size())), {}));
            chip.disks.back().interfaceNumber = interfaceNumber;
            chip.disks.back().uas = c.uas;
        }
        zt::udev::NamedDevices named(file);
        zt::sim::Workstation station;
        const auto mirrored = named.Apply({{"chip", chip}});
        ASSERT_NO_THROW(station.Attach(mirrored.at("chip")->serial)) << c.vendor;  // throws on an ID twice
        ASSERT_NO_THROW(station.Attach(mirrored.at("chip")->storage)) << c.vendor;
        std::set<String> portNames;
        for (const auto& port : mirrored.at("chip")->serial.ports) portNames.insert(port.name);
        EXPECT_EQ(portNames.size(), c.ports.size()) << c.vendor << ": one COM name each";
        const auto ports = station.Cim().Query(u"SELECT DeviceID FROM Win32_PnPEntity WHERE PNPClass = \"Ports\"");
        ASSERT_TRUE(ports);
        EXPECT_EQ(ports->size(), c.ports.size()) << c.vendor;
        const auto disks = station.Cim().Query(u"SELECT PNPDeviceID FROM Win32_DiskDrive");
        ASSERT_TRUE(disks);
        EXPECT_EQ(std::set<String>(disks->begin(), disks->end()).size(), c.disks.size()) << c.vendor;
        {
            // Read from the device tree, the device is one record with every port.
            const zt::devices::WorldInUse world(station);
            const std::vector<zt::devices::UsbDevice> records = zt::devices::DeviceTreeSource()->Attached();
            ASSERT_EQ(records.size(), 1u) << c.vendor;
            EXPECT_EQ(records[0].ports.size(), c.ports.size()) << c.vendor;
        }
        station.Detach(mirrored.at("chip")->storage);
        station.Detach(mirrored.at("chip")->serial);
    }
}

}  // namespace
