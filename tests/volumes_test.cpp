// The volume inventory on the simulated workstation: every lettered partition of every drive,
// each with its own drive's caption and serial.
#include "tests/volume_fixture.h"

namespace {

using zt::host::String;
using zt::sim::Volume;
using zt::testing::Fat32;

class Volumes : public zt::testing::VolumeFixture {};

constexpr char kCruzer[] = "SanDisk Cruzer Blade USB Device";

std::string Line(const std::string& volume, const std::string& caption, const std::string& serial,
                 const std::string& numbers = "16008523776|15000000000") {
    return volume + "|" + caption + "|" + serial + "|" + numbers;
}

struct ModelCase {
    const char* name;
    std::function<std::vector<zt::sim::StorageDevice>()> devices;
    std::vector<std::string> inventory;
};

const Volume kEfi{{}, {}, 104857600, 0, {}, {}};

// Each model as Windows presents it, alone and behind awkward neighbours.
const ModelCase kModels[] = {
    {"a stick with two partitions gives both",
     [] { return std::vector{zt::sim::UsbStick(u"4C530001230419115453", 1, {Fat32(u"E:", u"ONE"), Fat32(u"F:", u"TWO")})}; },
     {Line("E:|FAT32|ONE|1A2B3C4D", kCruzer, "4C530001230419115453"),
      Line("F:|FAT32|TWO|1A2B3C4D", kCruzer, "4C530001230419115453")}},
    {"an EFI partition first hides neither the disk's volume nor the next stick's drive; the fixed disk is left out",
     [] {
         return std::vector{
             zt::sim::FixedDisk(0, {{u"C:", u"NTFS", 1000, 500, u"System", u"0000AAAA"}}),
             zt::sim::ExternalHardDisk(u"57584A314131", 1, {kEfi, {u"G:", u"NTFS", 2000, 1500, u"BACKUP", u"9ABCDEF0"}}),
             zt::sim::UsbStick(u"AAA111", 2, {Fat32(u"E:", u"STICK")})};
     },
     {Line("G:|NTFS|BACKUP|9ABCDEF0", "WD Elements 25A2 USB Device", "57584A314131", "2000|1500"),
      Line("E:|FAT32|STICK|1A2B3C4D", kCruzer, "AAA111")}},
    {"a card reader gives its two filled slots, empty slots first or between",
     [] {
         return std::vector{zt::sim::CardReader(u"058F63666435", 1, {{}, {Fat32(u"H:", u"CF")}, {}, {Fat32(u"I:", u"MS")}}),
                            zt::sim::UsbStick(u"AAA111", 5, {Fat32(u"E:", u"STICK")})};
     },
     {Line("H:|FAT32|CF|1A2B3C4D", "Generic- Compact Flash USB Device", "058F63666435"),
      Line("I:|FAT32|MS|1A2B3C4D", "Generic- MS/MS-Pro USB Device", "058F63666435"),
      Line("E:|FAT32|STICK|1A2B3C4D", kCruzer, "AAA111")}},
    {"sticks without a USB serial stay apart",
     [] {
         return std::vector{zt::sim::UsbStickWithoutSerial(u"5&1A2B3C4D&0&3", u"7&2A3B4C5D", 1, {Fat32(u"E:", u"ONE")}),
                            zt::sim::UsbStickWithoutSerial(u"5&1A2B3C4D&0&4", u"7&9F8E7D6C", 2, {Fat32(u"F:", u"TWO")})};
     },
     {Line("E:|FAT32|ONE|1A2B3C4D", "Generic Flash Disk USB Device", "7&2A3B4C5D"),
      Line("F:|FAT32|TWO|1A2B3C4D", "Generic Flash Disk USB Device", "7&9F8E7D6C")}},
    {"UASP drives: SCSI captions; the instance Windows made, without the LUN, shared by a bridge's LUNs",
     [] {
         return std::vector{zt::sim::UaspDisk(u"1234567DB9FB", false, 1, {{kEfi, Fat32(u"E:", u"T5")}}),
                            zt::sim::UaspDisk(u"DB9876543214E", true, 2, {{Fat32(u"F:", u"BAY1")}, {Fat32(u"G:", u"BAY2")}})};
     },
     {Line("E:|FAT32|T5|1A2B3C4D", "Samsung Portable SSD T5 SCSI Disk Device", "7&4EAD04B8&0"),
      Line("F:|FAT32|BAY1|1A2B3C4D", "External USB3.0 SCSI Disk Device", "7&2FE17736&0"),
      Line("G:|FAT32|BAY2|1A2B3C4D", "External USB3.0 SCSI Disk Device", "7&2FE17736&0")}},
    {"a serial holding & keeps all but the LUN",
     [] { return std::vector{zt::sim::UsbStick(u"AB&CD1234", 1, {Fat32(u"E:", u"STICK")})}; },
     {Line("E:|FAT32|STICK|1A2B3C4D", kCruzer, "AB&CD1234")}},
    {"labels holding property names stay labels",
     [] {
         return std::vector{zt::sim::UsbStick(u"AAA111", 1, {{u"E:", u"FAT32", 100, 50, u"Size matters", u"1"},
                                                             {u"F:", u"exFAT", 200, 70, u"FileSystem backup", u"2"},
                                                             {u"G:", u"NTFS", 300, 90, u"DeviceID \"7\"", u"3"}})};
     },
     {Line("E:|FAT32|Size matters|1", kCruzer, "AAA111", "100|50"),
      Line("F:|exFAT|FileSystem backup|2", kCruzer, "AAA111", "200|70"),
      Line("G:|NTFS|DeviceID \"7\"|3", kCruzer, "AAA111", "300|90")}},
};

// Object texts with the LF of the simulated world and with CR LF line breaks.
TEST_F(Volumes, EveryLetteredPartitionOfEveryModelGivesItsOwnRecord) {
    for (const bool crlf : {false, true}) {
        BreakLinesWithCrLf(crlf);
        for (const ModelCase& model : kModels) {
            SCOPED_TRACE(std::string(model.name) + (crlf ? ", CR LF" : ", LF"));
            zt::sim::Workstation fresh;
            station = std::move(fresh);
            for (const auto& device : model.devices()) station.Attach(device);
            EXPECT_EQ(Inventory(), model.inventory);
            EXPECT_EQ(detector.ZtAllVolInfo.size(), model.inventory.size());
        }
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Volumes, TheInventoryFollowsEachDriveAndEachPartitionOnce) {
    station.Attach(zt::sim::CardReader(u"058F63666435", 1, {{}, {Fat32(u"H:", u"CF")}}));
    detector.GetAvailableVolumens();
    const String filter = u"from Win32_diskdrive where (MediaType Like \"Removable Media%\" or MediaType Like \"External hard disk%\") ";
    const auto drive = [](const char16_t* n) {
        return u"ASSOCIATORS OF {Win32_DiskDrive.DeviceID=\"\\\\\\\\.\\\\PHYSICALDRIVE" + String(n) +
               u"\"} WHERE AssocClass = Win32_DiskDriveToDiskPartition ";
    };
    EXPECT_EQ(queries, (std::vector<String>{
                           u"select Caption,PNPDeviceID,DeviceID  " + filter,
                           drive(u"1"), drive(u"2"),
                           u"ASSOCIATORS OF {Win32_DiskPartition.DeviceID=\"Disk #2, Partition #0\"} WHERE AssocClass = Win32_LogicalDiskToPartition ",
                           drive(u"3"), drive(u"4"),
                       }));
}

TEST_F(Volumes, WithoutRemovableDrivesTheInventoryKeepsItsRecords) {
    station.Attach(zt::sim::UsbStick(u"AAA111", 1, {Fat32(u"E:", u"FIRST")}));
    ASSERT_EQ(Inventory().size(), 1u);
    station.Cim().Remove(u"Win32_DiskDrive", u"\\\\.\\PHYSICALDRIVE1");
    EXPECT_EQ(detector.GetAvailableVolumens(), 0);
    EXPECT_EQ(detector.ZtAllVolInfo.size(), 1u);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Volumes, NumbersThatAreNotNumbersReadAsMinusOne) {
    station.Attach(zt::sim::UsbStick(u"AAA111", 1, {{u"E:", u"FAT32", 100, 50, u"STICK", u"1"}}));
    rewrite = [](const String&, const String& text) {
        String changed = text;
        const auto at = changed.find(u"FreeSpace = \"50\"");
        if (at != String::npos) changed.replace(at, 16, u"FreeSpace = \"lots\"");
        return changed;
    };
    EXPECT_EQ(Inventory(), std::vector<std::string>{Line("E:|FAT32|STICK|1", kCruzer, "AAA111", "100|-1")});
}

TEST_F(Volumes, ADriveWithoutACaptionGivesItsVolumesAnEmptyOne) {
    station.Attach(zt::sim::UsbStick(u"AAA111", 1, {Fat32(u"E:", u"FIRST")}));
    rewrite = [](const String& query, const String& text) {
        if (!query.starts_with(u"select")) return text;
        String changed = text;
        changed.replace(changed.find(u"\tCaption"), 9, u"\tTitle");  // the caption line is gone
        return changed;
    };
    EXPECT_EQ(Inventory(), std::vector<std::string>{Line("E:|FAT32|FIRST|1A2B3C4D", "", "AAA111")});
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Volumes, AVolumeWithoutASerialFailsTheWalkOnce) {
    station.Attach(zt::sim::UsbStick(u"AAA111", 1, {Fat32(u"E:", u"FIRST")}));
    for (const char16_t* broken : {u"\tPnpId", u"\tPNPDeviceID = \"USBSTOR\";\n\tX"}) {
        rewrite = [broken](const String& query, const String& text) {
            if (!query.starts_with(u"select")) return text;
            String changed = text;
            changed.replace(changed.find(u"\tPNPDeviceID"), 12, broken);
            return changed;
        };
        dialogs.messages.clear();
        EXPECT_EQ(detector.GetAvailableVolumens(), 0);
        EXPECT_EQ(detector.ZtAllVolInfo.size(), 0u);
        EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Debug ERR #177"});
    }
}

TEST_F(Volumes, LinesOutsideAnyObjectBelongToNone) {
    station.Attach(zt::sim::UsbStick(u"AAA111", 1, {Fat32(u"E:", u"FIRST")}));
    rewrite = [](const String& query, const String& text) {
        return query.find(u"LogicalDiskToPartition") != String::npos
                   ? u"\tDeviceID = \"Q:\";\n\tFileSystem = \"NTFS\";\n\tSize = \"1\";\n" + text
                   : text;
    };
    EXPECT_EQ(Inventory(), std::vector<std::string>{Line("E:|FAT32|FIRST|1A2B3C4D", kCruzer, "AAA111")});
}

}  // namespace
