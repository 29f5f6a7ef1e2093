// The details of a new volume, end to end: plug, let the message loop run, see what the host
// sees.
#include <algorithm>
#include <map>

#include "tests/volume_fixture.h"
#include "ztusb/win32/windows_names.h"

namespace {

using zt::host::String;
using zt::testing::Fat32;
using zt::testing::PumpRequests;
using zt::testing::UsbInterface;

constexpr std::uint32_t kArrival = DBT_DEVICEARRIVAL;

class NewVolumeInfo : public zt::testing::VolumeFixture {
protected:
    void Broadcast(std::uint32_t event, const zt::world::Record& record) {
        zt::world::BroadcastDeviceChange(event, record);
    }
    void Announce(const zt::sim::StorageDevice& device) {
        Broadcast(kArrival, UsbInterface(device.interfaceName));
    }
    // Takes the devices off the arrival list; they stay attached.
    void Forget(const std::vector<zt::sim::StorageDevice>& devices) {
        for (const auto& device : devices) {
            if (!device.interfaceName.empty()) Broadcast(DBT_DEVICEREMOVECOMPLETE, UsbInterface(device.interfaceName));
        }
    }
};

constexpr char16_t kSerialA[] = u"4C530001230417117364";
constexpr char16_t kSerialB[] = u"20060775170A2E41";

std::string Info(const std::string& volume, const std::string& serial) {
    return "[" + volume + "|1A2B3C4D|SanDisk Cruzer Blade USB Device|" + serial + "|16008523776|15000000000]";
}

TEST_F(NewVolumeInfo, AStickComesWithItsVolumeDetailsAndGoesWithoutAsking) {
    const auto stick = zt::sim::UsbStick(kSerialA, 1, {Fat32(u"E:", u"STICK")});
    station.Plug(stick);
    EXPECT_EQ(PumpRequests(), std::vector<std::string>{"DoNewVolInfo:4C530001230417117364"});
    EXPECT_EQ(events, (std::vector<std::string>{
                          "usb 4C530001230417117364 VID_0781 PID_5567 1",
                          "volume E 1",
                          "info 1 of 1 " + Info("E:|FAT32|STICK", "4C530001230417117364"),
                      }));
    events.clear();
    station.Unplug(stick);
    EXPECT_TRUE(PumpRequests().empty());
    EXPECT_EQ(events, (std::vector<std::string>{"volume E 0", "usb 4C530001230417117364 VID_0781 PID_5567 0"}));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(NewVolumeInfo, TheSecondStickGetsItsOwnDetailsWhateverTheOrderOfArrivals) {
    const auto stickA = zt::sim::UsbStick(kSerialA, 1, {Fat32(u"E:", u"A")});
    const auto stickB = zt::sim::UsbStick(kSerialB, 2, {Fat32(u"F:", u"B1"), Fat32(u"G:", u"B2")});
    const std::string detailsOfB = "info 2 of 2 " + Info("F:|FAT32|B1", "20060775170A2E41") + " " +
                                   Info("G:|FAT32|B2", "20060775170A2E41");
    const std::string detailsOfA = "info 1 of 1 " + Info("E:|FAT32|A", "4C530001230417117364");

    // One after the other, as a user plugs them.
    station.Plug(stickA);
    PumpRequests();
    station.Plug(stickB);
    PumpRequests();
    EXPECT_EQ(Infos(), (std::vector<std::string>{detailsOfA, detailsOfB}));

    // Both interfaces first, in either order, then the volumes.
    for (const bool aFirst : {true, false}) {
        SCOPED_TRACE(aFirst ? "A listed first" : "B listed first");
        Forget({stickA, stickB});
        events.clear();
        Announce(aFirst ? stickA : stickB);
        Announce(aFirst ? stickB : stickA);
        Broadcast(kArrival, zt::world::VolumeRecord(zt::sim::UnitMask(stickB)));
        Broadcast(kArrival, zt::world::VolumeRecord(zt::sim::UnitMask(stickA)));
        PumpRequests();
        EXPECT_EQ(Infos(), (std::vector<std::string>{detailsOfB, detailsOfA}));
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(NewVolumeInfo, OtherDevicesListedBeforeOrAfterTheStickNeitherHideItNorCostQueries) {
    const auto stick = zt::sim::UsbStick(kSerialA, 1, {Fat32(u"E:", u"STICK")});
    station.Attach(stick);
    std::map<std::pair<int, int>, std::size_t> queryCounts;
    for (const int before : {0, 16}) {
        for (const int after : {0, 1, 16}) {
            SCOPED_TRACE(std::to_string(before) + " before, " + std::to_string(after) + " after");
            std::vector<zt::world::Record> listed;
            for (int i = 0; i < before + after; ++i) {
                if (i == before) listed.push_back(UsbInterface(stick.interfaceName));
                listed.push_back(UsbInterface(u"\\\\?\\USB#VID_05E3&PID_0610#HUB" +
                                              zt::host::FromAnsi(std::to_string(i)) + u"#{x}"));
            }
            if (after == 0) listed.push_back(UsbInterface(stick.interfaceName));
            for (const auto& record : listed) Broadcast(kArrival, record);
            queries.clear();
            events.clear();
            Broadcast(kArrival, zt::world::VolumeRecord(zt::sim::UnitMask(stick)));
            PumpRequests();
            EXPECT_EQ(Infos(), std::vector<std::string>{"info 1 of 1 " + Info("E:|FAT32|STICK", "4C530001230417117364")});
            queryCounts[{before, after}] = queries.size();
            for (const auto& record : listed) Broadcast(DBT_DEVICEREMOVECOMPLETE, record);
        }
    }
    for (const int after : {0, 1, 16}) EXPECT_EQ((queryCounts[{0, after}]), (queryCounts[{16, after}]));
    for (const int before : {0, 16}) EXPECT_EQ((queryCounts[{before, 1}]), (queryCounts[{before, 16}]));
}

TEST_F(NewVolumeInfo, SerialsReachTheQueryWholeAndEscaped) {
    struct Case {
        const char16_t* serial;
        const char16_t* pattern;  // as the drive query writes it
    };
    const Case cases[] = {
        {u"00:1A:2B:3C", u"%00:1A:2B:3C%"},
        {u"AB\"C\\D", u"%AB\\\"C\\\\D%"},
        {u"5%_[X", u"%5[%][_][[]X%"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(zt::host::ToUtf8(c.serial));
        const auto stick = zt::sim::UsbStick(c.serial, 1, {Fat32(u"E:", u"STICK")});
        queries.clear();
        events.clear();
        station.Plug(stick);
        PumpRequests();
        ASSERT_FALSE(queries.empty());
        EXPECT_TRUE(queries[0].ends_with(u"and PNPDeviceID Like \"" + String(c.pattern) + u"\""))
            << zt::host::ToUtf8(queries[0]);
        EXPECT_EQ(Infos(), std::vector<std::string>{"info 1 of 1 " + Info("E:|FAT32|STICK", zt::host::ToUtf8(c.serial))});
        station.Unplug(stick);
        PumpRequests();
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(NewVolumeInfo, ACardReaderReportsTheSlotWhoseMediumArrived) {
    const auto reader = zt::sim::CardReader(u"058F63666435", 1, {{}, {Fat32(u"H:", u"CF")}, {}, {Fat32(u"I:", u"MS")}});
    station.Plug(reader);  // both media in at once: one broadcast with both letters
    PumpRequests();
    EXPECT_EQ(Infos(), std::vector<std::string>{
                           "info 2 of 2 [H:|FAT32|CF|1A2B3C4D|Generic- Compact Flash USB Device|058F63666435|16008523776|15000000000]"
                           " [I:|FAT32|MS|1A2B3C4D|Generic- MS/MS-Pro USB Device|058F63666435|16008523776|15000000000]"});
}

// Changed: a letter that no removable or external drive holds raised "info 0 of 0" once the
// named stick had been walked; it now raises nothing, whatever is listed.
TEST_F(NewVolumeInfo, ALetterOfNoRemovableDriveRaisesNothing) {
    station.Attach(zt::sim::UsbStick(kSerialA, 1, {Fat32(u"E:", u"STICK")}));
    Broadcast(kArrival, UsbInterface(u"\\\\?\\USB#VID_0781&PID_5567#4C530001230417117364#{x}"));
    Broadcast(kArrival, zt::world::VolumeRecord(1u << 10));  // K:, which the stick does not hold
    PumpRequests();
    Broadcast(kArrival, UsbInterface(u"\\\\?\\USB#VID_0403&PID_6001#A50285BI#{x}"));
    Broadcast(kArrival, zt::world::VolumeRecord(1u << 10));
    PumpRequests();
    EXPECT_TRUE(Infos().empty());
    EXPECT_TRUE(dialogs.messages.empty());
}

// Changed: an empty name matched every drive and failed the walk with "Debug ERR #177" and
// "info 0 of 0"; the drive is now found by its letter.
TEST_F(NewVolumeInfo, AnEmptyNameFindsTheDriveByItsLetter) {
    station.Attach(zt::sim::UsbStick(u"AAA111", 1, {Fat32(u"E:", u"FIRST")}));
    station.Attach(zt::sim::UsbStick(u"BBB222", 2, {Fat32(u"F:", u"SECOND")}));
    Broadcast(kArrival, UsbInterface(u"USB#VID_1&PID_2"));
    Broadcast(kArrival, zt::world::VolumeRecord(1u << 4));
    EXPECT_EQ(PumpRequests(), std::vector<std::string>{"DoNewVolInfo:"});
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(Infos(), std::vector<std::string>{"info 1 of 1 " + Info("E:|FAT32|FIRST", "AAA111")});
}

const zt::sim::Volume kEfi{{}, {}, 104857600, 0, {}, {}};
const zt::sim::Volume kNtfs{u"E:", u"NTFS", 500105216000, 400000000000, u"T5", u"5A1B2C3D"};

// A volume arriving on each shape of drive, with the devices already there and listed.
struct ArrivalCase {
    const char* name;
    std::vector<zt::sim::StorageDevice> present;  // attached and listed before
    zt::sim::StorageDevice arriving;              // attached and listed last
    std::uint32_t unitMask;                       // 0: all of the arriving device's letters
    std::vector<std::string> infos;
};

const ArrivalCase kArrivals[] = {
    {"a UASP drive, whose device ID holds no USB serial",
     {},
     zt::sim::UaspDisk(u"1234567DB9FB", false, 1, {{kEfi, kNtfs}}),
     0,
     {"info 1 of 1 [E:|NTFS|T5|5A1B2C3D|Samsung Portable SSD T5 SCSI Disk Device|7&4EAD04B8&0|"
      "500105216000|400000000000]"}},
    {"a UASP drive whose label holds quotes, parentheses, %, _ and a colon",
     {},
     zt::sim::UaspDisk(u"1234567DB9FB", false, 1,
                       {{kEfi, {u"E:", u"NTFS", 500105216000, 400000000000, u"Backup \"A\" (100%)_x:1", u"5A1B2C3D"}}}),
     0,
     {"info 1 of 1 [E:|NTFS|Backup \"A\" (100%)_x:1|5A1B2C3D|Samsung Portable SSD T5 SCSI Disk Device|"
      "7&4EAD04B8&0|500105216000|400000000000]"}},
    {"a bridge showing MSFT30<serial>, both LUNs in one broadcast",
     {},
     zt::sim::UaspDisk(u"DB9876543214E", true, 1, {{Fat32(u"F:", u"BAY1")}, {Fat32(u"G:", u"BAY2")}}),
     0,
     {"info 2 of 2 [F:|FAT32|BAY1|1A2B3C4D|External USB3.0 SCSI Disk Device|7&2FE17736&0|16008523776|15000000000]"
      " [G:|FAT32|BAY2|1A2B3C4D|External USB3.0 SCSI Disk Device|7&2FE17736&0|16008523776|15000000000]"}},
    {"a bridge's second LUN whose letter came later: the first one's is not new",
     {},
     zt::sim::UaspDisk(u"DB9876543214E", true, 1, {{Fat32(u"F:", u"BAY1")}, {Fat32(u"G:", u"BAY2")}}),
     1u << 6,
     {"info 1 of 1 [G:|FAT32|BAY2|1A2B3C4D|External USB3.0 SCSI Disk Device|7&2FE17736&0|16008523776|15000000000]"}},
    {"a stick without a serial: its USB and disk instances differ",
     {},
     zt::sim::UsbStickWithoutSerial(u"5&1a2b3c4d&0&3", u"7&2A3B4C5D", 1, {Fat32(u"E:", u"GENERIC")}),
     0,
     {"info 1 of 1 [E:|FAT32|GENERIC|1A2B3C4D|Generic Flash Disk USB Device|7&2A3B4C5D|16008523776|15000000000]"}},
    {"a stick, found by its name",
     {},
     zt::sim::UsbStick(kSerialA, 1, {Fat32(u"E:", u"STICK")}),
     0,
     {"info 1 of 1 " + Info("E:|FAT32|STICK", "4C530001230417117364")}},
    {"a letter on the fixed disk while a stick is listed",
     {zt::sim::UsbStick(kSerialA, 1, {Fat32(u"E:", u"STICK")})},
     zt::sim::FixedDisk(0, {{u"D:", u"NTFS", 1000, 500, u"DATA", u"0000AAAA"}}),
     0,
     {}},
};

// Each case alone and behind 16 other sticks, attached and listed: the same details, and the
// same number of queries.
TEST_F(NewVolumeInfo, EveryAnnouncedVolumeGetsItsRecordWhateverItsDriveIdHolds) {
    for (const bool crlf : {false, true}) {
        BreakLinesWithCrLf(crlf);
        for (const ArrivalCase& c : kArrivals) {
            std::vector<std::size_t> queryCounts;
            for (const int others : {0, 16}) {
                SCOPED_TRACE(std::string(c.name) + (crlf ? ", CR LF, " : ", LF, ") + std::to_string(others) + " others");
                zt::sim::Workstation fresh;
                station = std::move(fresh);
                std::vector<zt::sim::StorageDevice> listed = c.present;
                for (int i = 0; i < others; ++i) {
                    const String n = zt::host::FromAnsi(std::to_string(i));
                    listed.push_back(zt::sim::UsbStick(u"OTHER" + n, static_cast<std::uint32_t>(20 + i),
                                                       {Fat32(String(1, static_cast<char16_t>(u'H' + i)) + u":", u"O" + n)}));
                }
                listed.push_back(c.arriving);
                for (const auto& device : listed) {
                    station.Attach(device);
                    if (!device.interfaceName.empty()) Announce(device);
                }
                queries.clear();
                events.clear();
                newRecords.clear();
                Broadcast(kArrival, zt::world::VolumeRecord(c.unitMask != 0 ? c.unitMask : zt::sim::UnitMask(c.arriving)));
                PumpRequests();
                EXPECT_EQ(Infos(), c.infos);
                queryCounts.push_back(queries.size());
                const std::vector<std::string> inventory = Inventory();
                for (const std::string& record : newRecords) {
                    EXPECT_NE(std::find(inventory.begin(), inventory.end(), record), inventory.end())
                        << record << " is not the inventory's";
                }
                Forget(listed);
            }
            EXPECT_EQ(queryCounts[0], queryCounts[1]) << c.name;
        }
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(NewVolumeInfo, ANetworkShareMappedMeanwhileGivesNoRecord) {
    station.Attach(zt::sim::UsbStick(kSerialA, 1, {Fat32(u"E:", u"STICK")}));
    station.Cim().Add(u"Win32_LogicalDisk", {{u"DeviceID", u"Z:"}, {u"DriveType", u"4"},
                                             {u"FileSystem", u"NTFS"}, {u"ProviderName", u"\\\\nas\\share"}});
    Broadcast(kArrival, UsbInterface(u"\\\\?\\USB#VID_0781&PID_5567#4C530001230417117364#{x}"));
    Broadcast(kArrival, zt::world::VolumeRecord(1u << 25));
    PumpRequests();
    EXPECT_TRUE(Infos().empty());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(NewVolumeInfo, AFailingHandlerIsReportedOnce) {
    station.Attach(zt::sim::UsbStick(u"AAA111", 1, {Fat32(u"E:", u"FIRST")}));
    detector.OnNewVolInfo = [](zt::host::TObject*, std::vector<zt::testing::TZtVolInfo>, std::int32_t) {
        throw std::runtime_error("host bug");
    };
    Broadcast(kArrival, UsbInterface(u"USB#VID_0781&PID_5567#AAA111#{x}"));
    Broadcast(kArrival, zt::world::VolumeRecord(1u << 4));
    PumpRequests();
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Debug Err #166"});
}

}  // namespace
