// The simulated storage models: the objects a drive adds, as Windows writes them.
#include <gtest/gtest.h>

#include "ztusb/detector/wmi_text.h"
#include "ztusb/sim/workstation.h"

namespace {

using zt::host::String;
using zt::sim::Volume;

const Volume kEfi{{}, {}, 104857600, 0, {}, {}};
const Volume kData{u"G:", u"NTFS", 2000000000, 1500000000, u"BACKUP", u"9ABCDEF0"};
const Volume kCard{u"H:", u"FAT32", 7948206080, 2147483648, u"CAMERA", u"3C1D5E7A"};

class StorageDevices : public ::testing::Test {
protected:
    StorageDevices() {
        station.Attach(zt::sim::ExternalHardDisk(u"57584A314131", 1, {kEfi, kData}));
        station.Attach(zt::sim::CardReader(u"058F63666435", 2, {{}, {kCard}}));
    }

    std::vector<String> Lines(const String& query) {
        std::vector<String> lines;
        const auto texts = station.Cim().Query(query);
        EXPECT_TRUE(texts.has_value()) << zt::host::ToUtf8(query);
        for (const String& text : texts.value_or(std::vector<String>{})) {
            std::size_t start = 0;
            for (std::size_t end; (end = text.find(u'\n', start)) != String::npos; start = end + 1) {
                lines.push_back(text.substr(start, end - start));
            }
        }
        return lines;
    }

    // The lines that set the property, in order.
    std::vector<String> Settings(const String& query, std::u16string_view property) {
        std::vector<String> settings;
        for (const String& line : Lines(query)) {
            if (zt_usb_detector::wmi_text::IsProperty(line, property)) settings.push_back(line);
        }
        return settings;
    }

    zt::sim::Workstation station;
};

String Associators(const String& object, const String& association) {
    return u"ASSOCIATORS OF {" + object + u"} WHERE AssocClass = " + association;
}

TEST_F(StorageDevices, ObjectsCarryTheirPropertiesInNameOrder) {
    const struct {
        const char16_t* query;
        std::vector<const char16_t*> among;  // properties the package must not mistake for others
    } classes[] = {
        {u"SELECT * FROM Win32_DiskDrive", {u"BytesPerSector", u"Caption", u"Description", u"MediaLoaded", u"PNPDeviceID", u"Size", u"TotalSectors"}},
        {u"SELECT * FROM Win32_DiskPartition", {u"BlockSize", u"Description", u"DeviceID", u"NumberOfBlocks", u"Size", u"StartingOffset", u"Type"}},
        {u"SELECT * FROM Win32_LogicalDisk", {u"Caption", u"Description", u"DeviceID", u"FileSystem", u"FreeSpace", u"Size", u"VolumeName"}},
    };
    for (const auto& c : classes) {
        SCOPED_TRACE(zt::host::ToUtf8(c.query));
        String previous;
        for (const String& line : Lines(c.query)) {
            const String name(zt_usb_detector::wmi_text::PropertyName(line));
            if (name.empty()) {
                previous.clear();  // the next object starts
                continue;
            }
            EXPECT_LT(zt::host::CompareText(previous, name), 0) << zt::host::ToUtf8(name);
            previous = name;
        }
        for (const char16_t* property : c.among) EXPECT_FALSE(Settings(c.query, property).empty()) << zt::host::ToUtf8(property);
    }
}

TEST_F(StorageDevices, AnEmptySlotHasNoMediumSizeOrPartition) {
    const String slot0 = u"Win32_DiskDrive.DeviceID=\"\\\\\\\\.\\\\PHYSICALDRIVE2\"";
    const String query = u"SELECT * FROM Win32_DiskDrive WHERE Index = 2 OR Index = 3";
    EXPECT_EQ(Settings(query, u"MediaLoaded"), (std::vector<String>{u"\tMediaLoaded = FALSE;", u"\tMediaLoaded = TRUE;"}));
    EXPECT_EQ(Settings(query, u"Size").size(), 1u);
    EXPECT_EQ(Settings(query, u"PNPDeviceID"),
              (std::vector<String>{u"\tPNPDeviceID = \"USBSTOR\\\\DISK&VEN_GENERIC-&PROD_SD/MMC&REV_1.00\\\\058F63666435&0\";",
                                   u"\tPNPDeviceID = \"USBSTOR\\\\DISK&VEN_GENERIC-&PROD_COMPACT_FLASH&REV_1.00\\\\058F63666435&1\";"}));
    EXPECT_TRUE(Lines(Associators(slot0, u"Win32_DiskDriveToDiskPartition")).empty());
}

TEST_F(StorageDevices, APartitionWithoutALetterComesFirstAndHoldsNoVolume) {
    const String disk = u"Win32_DiskDrive.DeviceID=\"\\\\\\\\.\\\\PHYSICALDRIVE1\"";
    EXPECT_EQ(Settings(Associators(disk, u"Win32_DiskDriveToDiskPartition"), u"Type"),
              (std::vector<String>{u"\tType = \"GPT: System\";", u"\tType = \"GPT: Basic Data\";"}));
    EXPECT_TRUE(Lines(Associators(u"Win32_DiskPartition.DeviceID=\"Disk #1, Partition #0\"", u"Win32_LogicalDiskToPartition")).empty());
    EXPECT_EQ(Settings(Associators(u"Win32_DiskPartition.DeviceID=\"Disk #1, Partition #1\"", u"Win32_LogicalDiskToPartition"), u"DriveType"),
              std::vector<String>{u"\tDriveType = 3;"}) << "a USB hard disk is a local disk to Windows";
}

TEST_F(StorageDevices, AUaspBridgeIsAStorageControllerWithOneScsiDrivePerLun) {
    station.Attach(zt::sim::UaspDisk(u"DB9876543214E", true, 8, {{{u"J:", u"NTFS", 10, 5, u"BAY1", u"1"}},
                                                                 {{u"K:", u"NTFS", 10, 5, u"BAY2", u"2"}}}));
    const String controller = u"SELECT * FROM Win32_PnPEntity WHERE Service = \"UASPStor\"";
    EXPECT_EQ(Settings(controller, u"DeviceID"),
              std::vector<String>{u"\tDeviceID = \"USB\\\\VID_152D&PID_1561\\\\MSFT30DB9876543214E\";"});
    EXPECT_EQ(Settings(controller, u"PNPClass"), std::vector<String>{u"\tPNPClass = \"SCSIAdapter\";"});
    const String drives = u"SELECT * FROM Win32_DiskDrive WHERE Index = 8 OR Index = 9";
    EXPECT_EQ(Settings(drives, u"PNPDeviceID"),
              (std::vector<String>{u"\tPNPDeviceID = \"SCSI\\\\DISK&VEN_EXTERNAL&PROD_USB3.0\\\\7&2FE17736&0&000000\";",
                                   u"\tPNPDeviceID = \"SCSI\\\\DISK&VEN_EXTERNAL&PROD_USB3.0\\\\7&2FE17736&0&000001\";"}));
    EXPECT_EQ(Settings(drives, u"InterfaceType"),
              (std::vector<String>{u"\tInterfaceType = \"SCSI\";", u"\tInterfaceType = \"SCSI\";"}));
    EXPECT_EQ(Settings(drives, u"MediaType"),
              (std::vector<String>{u"\tMediaType = \"External hard disk media\";", u"\tMediaType = \"External hard disk media\";"}));
    EXPECT_EQ(Settings(drives, u"Caption"),
              (std::vector<String>{u"\tCaption = \"External USB3.0 SCSI Disk Device\";", u"\tCaption = \"External USB3.0 SCSI Disk Device\";"}));
    EXPECT_EQ(Settings(drives, u"SCSILogicalUnit"),
              (std::vector<String>{u"\tSCSILogicalUnit = 0;", u"\tSCSILogicalUnit = 1;"}));
}

TEST_F(StorageDevices, UnplugTakesEveryObjectAway) {
    const auto stick = zt::sim::UsbStickWithoutSerial(u"5&1A2B3C4D&0&3", u"7&2A3B4C5D", 9, {kEfi, {u"E:", u"FAT32", 10, 5, u"", u"1"}});
    const auto uasp = zt::sim::UaspDisk(u"1234567DB9FB", false, 10, {{{u"F:", u"NTFS", 10, 5, u"T5", u"2"}}});
    const auto counts = [&] {
        return std::vector<std::size_t>{Lines(u"SELECT DeviceID FROM Win32_PnPEntity").size(),
                                        Lines(u"SELECT DeviceID FROM Win32_DiskDrive").size(),
                                        Lines(u"SELECT DeviceID FROM Win32_DiskPartition").size(),
                                        Lines(u"SELECT DeviceID FROM Win32_LogicalDisk").size()};
    };
    const auto before = counts();
    station.Attach(stick);
    EXPECT_NE(counts(), before);
    EXPECT_EQ(Settings(u"SELECT VolumeName FROM Win32_LogicalDisk WHERE DeviceID = \"E:\"", u"VolumeName"),
              std::vector<String>{u"\tVolumeName = \"\";"}) << "an empty label is written, not left out";
    station.Unplug(stick);
    EXPECT_EQ(counts(), before);
    station.Plug(uasp);
    EXPECT_NE(counts(), before);
    station.Unplug(uasp);
    EXPECT_EQ(counts(), before);
}

}  // namespace
