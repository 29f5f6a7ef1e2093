// Volumes on the simulated workstation: the inventory, the new-volume inquiry, the walk.
#include <gtest/gtest.h>

#include "sim/workstation.h"
#include "tests/test_support.h"

namespace {

using zt::host::String;
using zt::sim::Volume;
using zt::testing::DialogRecorder;
using zt::testing::PumpRequests;
using zt::testing::RecordEvents;
using zt::testing::WmiServed;
using zt_usb_detector::TZtUsbDetector;
using zt_usb_detector::TZtVolInfo;

constexpr char16_t kStickSerial[] = u"4C530001230417117364";

Volume Fat32(const String& letter, const String& label) {
    return {letter, u"FAT32", 16008523776, 15000000000, label, u"1A2B3C4D"};
}

std::string Describe(const TZtVolInfo& v) {
    return zt::host::ToUtf8(v.DeviceID + u"|" + v.FileSystem + u"|" + v.VolName + u"|" + v.VolSerial +
                            u"|" + v.FulName + u"|" + v.PNPDeviceID) +
           "|" + std::to_string(v.Size) + "|" + std::to_string(v.FreeSpace);
}

class Volumes : public ::testing::Test {
protected:
    Volumes() : served(Backend()) {
        RecordEvents(detector, events);
        detector.OnNewVolInfo = [this](zt::host::TObject*, std::vector<TZtVolInfo> records,
                                       std::int32_t count) {
            std::string line = "info " + std::to_string(count) + " of " + std::to_string(records.size());
            for (std::int32_t i = 0; i < count; ++i) line += " [" + Describe(records[static_cast<std::size_t>(i)]) + "]";
            events.push_back(line);
        };
    }

    // The workstation's WMI, with every query noted and a chance to rewrite the answers.
    ZtWmiU::WmiBackend Backend() {
        return [this](const String& query) {
            queries.push_back(query);
            auto texts = station.Cim().Query(query);
            if (texts && rewrite) {
                for (String& text : *texts) text = rewrite(query, text);
            }
            return texts;
        };
    }

    std::vector<std::string> Inventory() {
        std::vector<std::string> lines;
        const std::int32_t count = detector.GetAvailableVolumens();
        for (std::int32_t i = 0; i < count; ++i) lines.push_back(Describe(detector.ZtAllVolInfo[static_cast<std::size_t>(i)]));
        return lines;
    }

    DialogRecorder dialogs;
    zt::sim::Workstation station;
    std::vector<String> queries;
    std::function<String(const String& query, const String& text)> rewrite;
    WmiServed served;
    TZtUsbDetector detector;
    std::vector<std::string> events;
};

TEST_F(Volumes, AStickComesWithItsVolumeDetailsAndGoes) {
    const auto stick = zt::sim::UsbStick(kStickSerial, 1, {Fat32(u"E:", u"STICK")});
    station.Plug(stick);
    EXPECT_EQ(PumpRequests(), std::vector<std::string>{"DoNewVolInfo:4C530001230417117364"});
    EXPECT_EQ(events, (std::vector<std::string>{
                          "usb 4C530001230417117364 VID_0781 PID_5567 1",
                          "volume E 1",
                          "info 1 of 1 [E:|FAT32|STICK|1A2B3C4D|SanDisk Cruzer Blade USB Device|"
                          "4C530001230417117364|16008523776|15000000000]",
                      }));
    events.clear();
    station.Unplug(stick);
    // The removal asks too, but the stick is gone by then: no event.
    EXPECT_EQ(PumpRequests(), std::vector<std::string>{"DoNewVolInfo:4C530001230417117364"});
    EXPECT_EQ(events, (std::vector<std::string>{"volume E 0", "usb 4C530001230417117364 VID_0781 PID_5567 0"}));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Volumes, TheQueriesAreSentCharacterForCharacter) {
    station.Plug(zt::sim::UsbStick(kStickSerial, 1, {Fat32(u"E:", u"STICK")}));
    PumpRequests();
    detector.GetAvailableVolumens();
    const String filter = u"from Win32_diskdrive where (MediaType Like \"Removable Media%\" or MediaType Like \"External hard disk%\") ";
    EXPECT_EQ(queries, (std::vector<String>{
                           u"select Caption,DeviceID  " + filter + u"and PNPDeviceID Like \"%4C530001230417117364%\"",
                           u"ASSOCIATORS OF {Win32_DiskDrive.DeviceID=\"\\\\\\\\.\\\\PHYSICALDRIVE1\"} WHERE AssocClass = Win32_DiskDriveToDiskPartition ",
                           u"ASSOCIATORS OF {Win32_DiskPartition.DeviceID=\"Disk #1, Partition #0\"} WHERE AssocClass = Win32_LogicalDiskToPartition ",
                           u"select Caption,PNPDeviceID,DeviceID  " + filter,
                           u"ASSOCIATORS OF {Win32_DiskDrive.DeviceID=\"\\\\\\\\.\\\\PHYSICALDRIVE1\"} WHERE AssocClass = Win32_DiskDriveToDiskPartition ",
                           u"ASSOCIATORS OF {Win32_DiskDrive.DeviceID=\"USBSTOR\\\\DISK&VEN_SANDISK&PROD_CRUZER_BLADE&REV_1.00\\\\4C530001230417117364&0\"} WHERE AssocClass = Win32_DiskDriveToDiskPartition ",
                           u"ASSOCIATORS OF {Win32_DiskPartition.DeviceID=\"Disk #1, Partition #0\"} WHERE AssocClass = Win32_LogicalDiskToPartition ",
                       }));
}

TEST_F(Volumes, InventoryPairsEachVolumeWithItsDrive) {
    station.Attach(zt::sim::FixedDisk(0, {{u"C:", u"NTFS", 1000, 500, u"System", u"0000AAAA"}}));
    station.Attach(zt::sim::UsbStick(u"AAA111", 1, {Fat32(u"E:", u"FIRST")}));
    station.Attach(zt::sim::ExternalHardDisk(u"BBB222", 2, {{u"F:", u"exFAT", 2000, 1500, u"BACKUP", u"77778888"}}));
    EXPECT_EQ(Inventory(), (std::vector<std::string>{
                               "E:|FAT32|FIRST|1A2B3C4D|SanDisk Cruzer Blade USB Device|AAA111|16008523776|15000000000",
                               "F:|exFAT|BACKUP|77778888|WD Elements 25A2 USB Device|BBB222|2000|1500",
                           }));
}

TEST_F(Volumes, TwoPartitionsGiveOneInventoryRecordButTwoNewVolumeRecords) {
    const auto stick = zt::sim::UsbStick(kStickSerial, 1, {Fat32(u"E:", u"ONE"), Fat32(u"F:", u"TWO")});
    station.Plug(stick);
    PumpRequests();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[2].substr(0, 11), "info 2 of 2");
    EXPECT_NE(events[2].find("[F:|FAT32|TWO|1A2B3C4D|SanDisk Cruzer Blade USB Device|4C530001230417117364|"), std::string::npos);
    EXPECT_EQ(Inventory().size(), 1u);
}

TEST_F(Volumes, TheEventArrayHoldsOnlyThisWalksRecords) {
    station.Plug(zt::sim::UsbStick(u"BIG", 1, {Fat32(u"E:", u"A"), Fat32(u"F:", u"B"), Fat32(u"G:", u"C")}));
    PumpRequests();
    station.Plug(zt::sim::UsbStick(u"SMALL", 2, {Fat32(u"H:", u"D")}));
    PumpRequests();
    // Both volume broadcasts ask for the first arrival, BIG.
    EXPECT_EQ(events[2].substr(0, 11), "info 3 of 3");
    EXPECT_EQ(events[5].substr(0, 11), "info 3 of 3");
    events.clear();
    zt::sim::BroadcastDeviceChange(DBT_DEVICEREMOVECOMPLETE, zt::testing::UsbInterface(u"X#Y#BIG#{x}"));
    zt::sim::BroadcastDeviceChange(DBT_DEVICEARRIVAL, zt::sim::VolumeRecord(1u << 7));
    PumpRequests();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[2].substr(0, 11), "info 1 of 1");
}

TEST_F(Volumes, WithoutRemovableDrivesTheInventoryKeepsItsRecords) {
    station.Attach(zt::sim::UsbStick(u"AAA111", 1, {Fat32(u"E:", u"FIRST")}));
    ASSERT_EQ(Inventory().size(), 1u);
    station.Cim().Remove(u"Win32_DiskDrive", u"\\\\.\\PHYSICALDRIVE1");
    EXPECT_EQ(detector.GetAvailableVolumens(), 0);
    EXPECT_EQ(detector.ZtAllVolInfo.size(), 1u);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Volumes, FieldTestsTakeTheFirstWordThatMatches) {
    station.Attach(zt::sim::UsbStick(u"AAA111", 1, {{u"E:", u"FAT32", 100, 50, u"Size matters", u"1"}}));
    rewrite = [](const String&, const String& text) {
        String changed = text;
        const auto at = changed.find(u"FreeSpace = \"50\"");
        if (at != String::npos) changed.replace(at, 16, u"FreeSpace = \"lots\"");
        return changed;
    };
    EXPECT_EQ(Inventory(), std::vector<std::string>{
                               "E:|FAT32||1|SanDisk Cruzer Blade USB Device|AAA111|-1|-1"});
}

TEST_F(Volumes, MoreVolumesThanCaptionsFailsTheInventory) {
    station.Attach(zt::sim::UsbStick(u"AAA111", 1, {Fat32(u"E:", u"FIRST")}));
    rewrite = [](const String& query, const String& text) {
        if (!query.starts_with(u"select")) return text;
        String changed = text;
        changed.replace(changed.find(u"\tCaption"), 9, u"\tTitle");  // the caption line is gone
        return changed;
    };
    EXPECT_EQ(detector.GetAvailableVolumens(), 0);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Debug ERR #155"});
}

TEST_F(Volumes, AVolumeWithoutASerialFailsTheWalkOnce) {
    station.Attach(zt::sim::UsbStick(u"AAA111", 1, {Fat32(u"E:", u"FIRST")}));
    rewrite = [](const String& query, const String& text) {
        if (!query.starts_with(u"select")) return text;
        String changed = text;
        changed.replace(changed.find(u"\tPNPDeviceID"), 12, u"\tPnpId");
        return changed;
    };
    EXPECT_EQ(detector.GetAvailableVolumens(), 0);
    EXPECT_EQ(detector.ZtAllVolInfo.size(), 0u);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Debug ERR #177"});
}

TEST_F(Volumes, AnEmptySerialMatchesEveryDriveAndReportsCountZero) {
    station.Attach(zt::sim::UsbStick(u"AAA111", 1, {Fat32(u"E:", u"FIRST")}));
    zt::sim::BroadcastDeviceChange(DBT_DEVICEARRIVAL, zt::testing::UsbInterface(u"USB#VID_1&PID_2"));
    zt::sim::BroadcastDeviceChange(DBT_DEVICEARRIVAL, zt::sim::VolumeRecord(1u << 4));
    EXPECT_EQ(PumpRequests(), std::vector<std::string>{"DoNewVolInfo:"});
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Debug ERR #177"});
    EXPECT_EQ(events.back().substr(0, 6), "info 0");
}

TEST_F(Volumes, FieldsBeforeAnyVolumeAndFailingHandlersAreHandled) {
    station.Attach(zt::sim::UsbStick(u"AAA111", 1, {Fat32(u"E:", u"FIRST")}));
    rewrite = [](const String& query, const String& text) {
        return query.find(u"LogicalDiskToPartition") != String::npos ? u"\tFileSystem = \"NTFS\";\n\tSize = \"1\";\n" + text : text;
    };
    EXPECT_EQ(Inventory(), std::vector<std::string>{
                               "E:|FAT32|FIRST|1A2B3C4D|SanDisk Cruzer Blade USB Device|AAA111|16008523776|15000000000"});
    detector.OnNewVolInfo = [](zt::host::TObject*, std::vector<TZtVolInfo>, std::int32_t) {
        throw std::runtime_error("host bug");
    };
    zt::sim::BroadcastDeviceChange(DBT_DEVICEARRIVAL, zt::testing::UsbInterface(u"USB#VID_0781&PID_5567#AAA111#{x}"));
    zt::sim::BroadcastDeviceChange(DBT_DEVICEARRIVAL, zt::sim::VolumeRecord(1u << 4));
    PumpRequests();
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Debug Err #166"});
}

}  // namespace
