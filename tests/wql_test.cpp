// The simulated world's WMI: object text as Windows writes it, WQL as the package sends it.
#include <gtest/gtest.h>

#include <stdexcept>

#include "ztusb/host/string_list.h"
#include "ztusb/world/cim_repository.h"
#include "ztusb/world/object_text.h"
#include "ztusb/world/wql_like.h"

namespace {

using zt::host::String;
using zt::world::CimRepository;

const String kFtdiId = u"FTDIBUS\\VID_0403+PID_6001+A50285BIA\\0000";
const String kStickId = u"USBSTOR\\DISK&VEN_SANDISK&PROD_CRUZER_BLADE&REV_1.00\\4C530001230417117364&0";

class SimulatedWmi : public ::testing::Test {
protected:
    SimulatedWmi() {
        cim.Add(u"Win32_PnPEntity", {{u"Caption", u"USB Serial Port (COM5)"},
                                     {u"Description", u"USB Serial Port"},
                                     {u"DeviceID", kFtdiId},
                                     {u"Manufacturer", u"FTDI"},
                                     {u"PNPDeviceID", kFtdiId},
                                     {u"Present", u"TRUE"},
                                     {u"ConfigManagerErrorCode", u"0"}});
        cim.Add(u"Win32_PnPEntity", {{u"Caption", u"USB-SERIAL CH340 (COM50)"},
                                     {u"DeviceID", u"USB\\VID_1A86&PID_7523\\5&1A2B3C4D&0&2"},
                                     {u"Manufacturer", u"wch.cn"}});
        cim.Add(u"Win32_PnPEntity",
                {{u"Caption", u"Standard Serial over Bluetooth link (COM8)"},
                 {u"DeviceID", u"BTHENUM\\{00001101-0000-1000-8000-00805F9B34FB}_LOCALMFG&0000\\7&2A3B&0&000000000000_00000003"},
                 {u"Manufacturer", u"Microsoft"}});
        cim.Add(u"Win32_PnPEntity", {{u"Caption", u"USBasp"},
                                     {u"DeviceID", u"USB\\VID_16C0&PID_05DC\\WWW.VLX.EXAMPLE"},
                                     {u"Name", u"USBasp"}});
        cim.Add(u"Win32_DiskDrive", {{u"Caption", u"SanDisk Cruzer Blade USB Device"},
                                     {u"DeviceID", u"\\\\.\\PHYSICALDRIVE1"},
                                     {u"MediaType", u"Removable Media"},
                                     {u"PNPDeviceID", kStickId},
                                     {u"Size", u"32017047552"}});
        cim.Add(u"Win32_DiskDrive", {{u"Caption", u"Samsung SSD 980"},
                                     {u"DeviceID", u"\\\\.\\PHYSICALDRIVE0"},
                                     {u"MediaType", u"Fixed hard disk media"}});
        for (const char16_t* partition : {u"Disk #1, Partition #0", u"Disk #1, Partition #1"}) {
            cim.Add(u"Win32_DiskPartition", {{u"DeviceID", partition}, {u"Size", u"16008523776"}});
            cim.Associate(u"Win32_DiskDriveToDiskPartition", u"\\\\.\\PHYSICALDRIVE1", partition);
        }
        AddVolume(u"E:", u"Disk #1, Partition #0", u"STICK");
        AddVolume(u"F:", u"Disk #1, Partition #1", u"SPARE");
    }

    void AddVolume(const String& letter, const String& partition, const String& label) {
        cim.Add(u"Win32_LogicalDisk", {{u"DeviceID", letter},
                                       {u"FileSystem", u"FAT32"},
                                       {u"FreeSpace", u"15000000000"},
                                       {u"Size", u"16008523776"},
                                       {u"VolumeName", label},
                                       {u"VolumeSerialNumber", u"1A2B3C4D"},
                                       {u"DriveType", u"2"}});
        cim.Associate(u"Win32_LogicalDiskToPartition", partition, letter);
    }

    std::vector<String> Run(const String& wql) const {
        auto texts = cim.Query(wql);
        EXPECT_TRUE(texts.has_value()) << zt::host::ToUtf8(wql);
        return texts.value_or(std::vector<String>{});
    }

    // The key lines of a result: the value of one property in every object, in order.
    std::vector<String> Keys(const String& wql, const String& property = u"DeviceID") const {
        std::vector<String> keys;
        zt::host::TStringList lines;
        for (const String& text : Run(wql)) {
            lines.SetText(text);
            for (int i = 0; i < lines.Count(); ++i) {
                if (lines[i].starts_with(u"\t" + property + u" = ")) keys.push_back(lines[i]);
            }
        }
        return keys;
    }

    zt::world::CimRepository cim;
};

TEST_F(SimulatedWmi, PortObjectTextsAreWrittenAsWindowsWritesThem) {
    EXPECT_EQ(Run(u"SELECT Caption,DeviceID,Manufacturer FROM Win32_PnPEntity WHERE Caption Like \"%(COM%\" "),
              (std::vector<String>{
                  u"\ninstance of Win32_PnPEntity\n{\n"
                  u"\tCaption = \"USB Serial Port (COM5)\";\n"
                  u"\tDeviceID = \"FTDIBUS\\\\VID_0403+PID_6001+A50285BIA\\\\0000\";\n"
                  u"\tManufacturer = \"FTDI\";\n};\n",
                  u"\ninstance of Win32_PnPEntity\n{\n"
                  u"\tCaption = \"USB-SERIAL CH340 (COM50)\";\n"
                  u"\tDeviceID = \"USB\\\\VID_1A86&PID_7523\\\\5&1A2B3C4D&0&2\";\n"
                  u"\tManufacturer = \"wch.cn\";\n};\n",
                  u"\ninstance of Win32_PnPEntity\n{\n"
                  u"\tCaption = \"Standard Serial over Bluetooth link (COM8)\";\n"
                  u"\tDeviceID = \"BTHENUM\\\\{00001101-0000-1000-8000-00805F9B34FB}_LOCALMFG&0000\\\\7&2A3B&0&000000000000_00000003\";\n"
                  u"\tManufacturer = \"Microsoft\";\n};\n",
              }));
}

TEST_F(SimulatedWmi, SelectStarSortsPropertiesAndWritesTypesTheirWay) {
    EXPECT_EQ(Run(u"SELECT * FROM Win32_PnPEntity WHERE DeviceID = \"FTDIBUS\\\\VID_0403+PID_6001+A50285BIA\\\\0000\""),
              std::vector<String>{u"\ninstance of Win32_PnPEntity\n{\n"
                                  u"\tCaption = \"USB Serial Port (COM5)\";\n"
                                  u"\tConfigManagerErrorCode = 0;\n"
                                  u"\tDescription = \"USB Serial Port\";\n"
                                  u"\tDeviceID = \"FTDIBUS\\\\VID_0403+PID_6001+A50285BIA\\\\0000\";\n"
                                  u"\tManufacturer = \"FTDI\";\n"
                                  u"\tPNPDeviceID = \"FTDIBUS\\\\VID_0403+PID_6001+A50285BIA\\\\0000\";\n"
                                  u"\tPresent = TRUE;\n};\n"});
}

TEST_F(SimulatedWmi, DiskAndVolumeTextsQuote64BitNumbers) {
    EXPECT_EQ(Run(u"select Caption,PNPDeviceID,DeviceID  from Win32_diskdrive where (MediaType Like \"Removable Media%\" or MediaType Like \"External hard disk%\") "),
              std::vector<String>{u"\ninstance of Win32_DiskDrive\n{\n"
                                  u"\tCaption = \"SanDisk Cruzer Blade USB Device\";\n"
                                  u"\tDeviceID = \"\\\\\\\\.\\\\PHYSICALDRIVE1\";\n"
                                  u"\tPNPDeviceID = \"USBSTOR\\\\DISK&VEN_SANDISK&PROD_CRUZER_BLADE&REV_1.00\\\\4C530001230417117364&0\";\n};\n"});
    EXPECT_EQ(Run(u"ASSOCIATORS OF {Win32_DiskPartition.DeviceID=\"Disk #1, Partition #0\"} WHERE AssocClass = Win32_LogicalDiskToPartition "),
              std::vector<String>{u"\ninstance of Win32_LogicalDisk\n{\n"
                                  u"\tDeviceID = \"E:\";\n"
                                  u"\tDriveType = 2;\n"
                                  u"\tFileSystem = \"FAT32\";\n"
                                  u"\tFreeSpace = \"15000000000\";\n"
                                  u"\tSize = \"16008523776\";\n"
                                  u"\tVolumeName = \"STICK\";\n"
                                  u"\tVolumeSerialNumber = \"1A2B3C4D\";\n};\n"});
}

TEST_F(SimulatedWmi, EveryStatementOfThePackageIsUnderstood) {
    const String comList = u"SELECT Caption,DeviceID,Manufacturer FROM Win32_PnPEntity WHERE Caption Like \"%(COM%\" ";
    ASSERT_EQ(comList.size(), 86u);
    EXPECT_EQ(Keys(comList).size(), 3u);

    const String newPort = u"SELECT Caption,Description,DeviceID,Manufacturer FROM Win32_PnPEntity WHERE Caption Like \"%(";
    ASSERT_EQ(newPort.size(), 92u);
    const String orSerial = u"%\"  or PNPDeviceID Like \"%";
    ASSERT_EQ(orSerial.size(), 26u);
    // %(COM5% also selects (COM50); the arrival name finds the FTDI entity by its device ID.
    EXPECT_EQ(Keys(newPort + u"COM5" + orSerial + u"A50285BI" + u"%\"").size(), 2u);
    EXPECT_EQ(Keys(newPort + u"COM8" + orSerial + u"NOSUCHDEVICE" + u"%\"").size(), 1u);

    const String usbasp = u"SELECT *  FROM Win32_PnPEntity WHERE Caption Like \"%USBASP%\"";
    ASSERT_EQ(usbasp.size(), 60u);
    EXPECT_EQ(Keys(usbasp, u"Name"), std::vector<String>{u"\tName = \"USBasp\";"});

    const String inventory = u"select Caption,PNPDeviceID,DeviceID  from Win32_diskdrive where (MediaType Like \"Removable Media%\" or MediaType Like \"External hard disk%\") ";
    EXPECT_EQ(Keys(inventory), std::vector<String>{u"\tDeviceID = \"\\\\\\\\.\\\\PHYSICALDRIVE1\";"});
    const String newVolume = u"select Caption,PNPDeviceID,DeviceID  from Win32_diskdrive where (MediaType Like \"Removable Media%\" or MediaType Like \"External hard disk%\") and PNPDeviceID Like \"%";
    EXPECT_EQ(Keys(newVolume + u"4C530001230417117364" + u"%\"").size(), 1u);
    EXPECT_EQ(Keys(newVolume + u"A50285BI" + u"%\"").size(), 0u);
}

TEST_F(SimulatedWmi, AssociationWalkFromDriveToVolumes) {
    // The key is written as the object text quotes it; the path's escaping is undone.
    const auto partitions = Keys(u"ASSOCIATORS OF {Win32_DiskDrive.DeviceID=\"\\\\\\\\.\\\\PHYSICALDRIVE1\"} WHERE AssocClass = Win32_DiskDriveToDiskPartition ");
    EXPECT_EQ(partitions, (std::vector<String>{u"\tDeviceID = \"Disk #1, Partition #0\";",
                                               u"\tDeviceID = \"Disk #1, Partition #1\";"}));
    EXPECT_EQ(Keys(u"ASSOCIATORS OF {Win32_DiskPartition.DeviceID=\"Disk #1, Partition #1\"} WHERE AssocClass = Win32_LogicalDiskToPartition "),
              std::vector<String>{u"\tDeviceID = \"F:\";"});
    // The walk also asks with a PnP device ID as drive key: nothing, not a failure.
    EXPECT_TRUE(Run(u"ASSOCIATORS OF {Win32_DiskDrive.DeviceID=\"" + kStickId + u"\"} WHERE AssocClass = Win32_DiskDriveToDiskPartition ").empty());
    // Backwards, from the volume to its partition.
    EXPECT_EQ(Keys(u"ASSOCIATORS OF {Win32_LogicalDisk.DeviceID=\"E:\"} WHERE AssocClass = Win32_LogicalDiskToPartition"),
              std::vector<String>{u"\tDeviceID = \"Disk #1, Partition #0\";"});
}

TEST_F(SimulatedWmi, RemovingAnInstanceDropsItsAssociations) {
    EXPECT_TRUE(cim.Remove(u"Win32_LogicalDisk", u"e:"));
    EXPECT_FALSE(cim.Remove(u"Win32_LogicalDisk", u"E:"));
    EXPECT_TRUE(Run(u"ASSOCIATORS OF {Win32_DiskPartition.DeviceID=\"Disk #1, Partition #0\"} WHERE AssocClass = Win32_LogicalDiskToPartition ").empty());
    EXPECT_EQ(Keys(u"SELECT DeviceID FROM Win32_LogicalDisk"), std::vector<String>{u"\tDeviceID = \"F:\";"});
}

TEST_F(SimulatedWmi, WhereCombinesAndOrAndParentheses) {
    EXPECT_EQ(Keys(u"SELECT Caption FROM Win32_PnPEntity WHERE Manufacturer = \"ftdi\" OR (Caption LIKE \"%COM8%\" AND Manufacturer LIKE \"Micro%\")").size(), 2u);
    EXPECT_EQ(Keys(u"SELECT Caption FROM Win32_PnPEntity WHERE Manufacturer = \"FTDI\" AND Caption LIKE \"%COM8%\"").size(), 0u);
    EXPECT_EQ(Keys(u"  SELECT   Caption  FROM  Win32_PnPEntity  WHERE  ( ( Present = TRUE ) )  ").size(), 1u);
    // A null property matches nothing, not even %.
    EXPECT_EQ(Keys(u"SELECT Caption FROM Win32_PnPEntity WHERE Name LIKE \"%\"").size(), 1u);
}

TEST_F(SimulatedWmi, RefusesWhatWmiRefuses) {
    for (const char16_t* wql : {
             u"SELECT * FROM Win32_NoSuchClass",
             u"SELECT NoSuchProperty FROM Win32_PnPEntity",
             u"SELECT Caption FROM Win32_PnPEntity WHERE NoSuchProperty = 1",
             u"SELEC Caption FROM Win32_PnPEntity",
             u"SELECT Caption FROM Win32_PnPEntity WHERE Caption LIKE \"%unterminated",
             u"SELECT Caption FROM Win32_PnPEntity WHERE (Caption LIKE \"%\"",
             u"SELECT Caption FROM Win32_PnPEntity trailing words",
             u"SELECT Caption, FROM Win32_PnPEntity",
             u"SELECT * FROM Win32_DiskDriveToDiskPartition WHERE Antecedent = \"x\"",
             u"ASSOCIATORS OF {Win32_DiskDrive.Caption=\"x\"} WHERE AssocClass = Win32_DiskDriveToDiskPartition",
             u"ASSOCIATORS OF {Win32_DiskDrive.DeviceID=\"x\"} WHERE AssocClass = Win32_DiskDrive",
             u"",
         }) {
        EXPECT_FALSE(cim.Query(wql).has_value()) << zt::host::ToUtf8(wql);
    }
}

// A device name can carry any text into a query: nesting is answered up to a depth and
// refused past it, never parsed with unbounded recursion.
TEST_F(SimulatedWmi, NestingIsBoundedNotRecursedWithoutLimit) {
    const auto nested = [](std::size_t depth) {
        return u"SELECT Caption FROM Win32_PnPEntity WHERE " + String(depth, u'(') +
               u"Manufacturer = \"FTDI\"" + String(depth, u')');
    };
    EXPECT_EQ(Keys(nested(64)).size(), 1u);
    EXPECT_FALSE(cim.Query(nested(65)).has_value());
    EXPECT_FALSE(cim.Query(nested(200000)).has_value());
    // Opening parentheses that never close are refused as well.
    EXPECT_FALSE(cim.Query(u"SELECT Caption FROM Win32_PnPEntity WHERE " + String(200000, u'(')).has_value());
}

TEST_F(SimulatedWmi, RepositoryRefusesBadInstances) {
    EXPECT_THROW(cim.Add(u"Win32_Nothing", {{u"DeviceID", u"x"}}), std::invalid_argument);
    EXPECT_THROW(cim.Add(u"Win32_LogicalDisk", {{u"VolumeName", u"no key"}}), std::invalid_argument);
    EXPECT_THROW(cim.Add(u"Win32_LogicalDisk", {{u"DeviceID", u"e:"}}), std::invalid_argument);
    EXPECT_THROW(cim.Add(u"Win32_LogicalDisk", {{u"DeviceID", u"G:"}, {u"Size", u"12 GB"}}), std::invalid_argument);
    EXPECT_THROW(cim.Associate(u"Win32_LogicalDiskToPartition", u"Disk #9", u"E:"), std::invalid_argument);
    EXPECT_THROW(cim.Associate(u"Win32_LogicalDisk", u"E:", u"E:"), std::invalid_argument);
}

// A machine's WMI gives properties the simulator's schema lacks: they are written back, in
// name order among the known ones, by SELECT * and ASSOCIATORS OF; a property list still
// selects only what it names.
TEST_F(SimulatedWmi, PropertiesTheSchemaDoesNotKnowAreKeptInNameOrder) {
    cim.Add(u"Win32_LogicalDisk", {{u"DeviceID", u"G:"}, {u"Bogus", u"a \\ \"b\""}, {u"Size", u"5"}},
            {{u"zLast", u"TRUE"}, {u"CompatibleID", u"{\"USB\\\\Class_08\", \"USB\\\\Class_FF\"}"},
             {u"Access", u"7"}});
    cim.Associate(u"Win32_LogicalDiskToPartition", u"Disk #1, Partition #1", u"G:");
    const String expected = u"\ninstance of Win32_LogicalDisk\n{\n"
                            u"\tAccess = 7;\n"
                            u"\tBogus = \"a \\\\ \\\"b\\\"\";\n"
                            u"\tCompatibleID = {\"USB\\\\Class_08\", \"USB\\\\Class_FF\"};\n"
                            u"\tDeviceID = \"G:\";\n"
                            u"\tSize = \"5\";\n"
                            u"\tzLast = TRUE;\n};\n";
    EXPECT_EQ(Run(u"SELECT * FROM Win32_LogicalDisk WHERE DeviceID = \"G:\""), std::vector<String>{expected});
    EXPECT_EQ(Run(u"ASSOCIATORS OF {Win32_DiskPartition.DeviceID=\"Disk #1, Partition #1\"} WHERE AssocClass = Win32_LogicalDiskToPartition").back(),
              expected);
    EXPECT_EQ(Run(u"SELECT Size FROM Win32_LogicalDisk WHERE DeviceID = \"G:\""),
              std::vector<String>{u"\ninstance of Win32_LogicalDisk\n{\n\tDeviceID = \"G:\";\n\tSize = \"5\";\n};\n"});
}

// Many devices come and go in a long session: the instances and links that stay keep their
// order and their associations however many others were removed before them.
TEST(CimRepository, RemovalsKeepTheRestIntact) {
    zt::world::CimRepository cim;
    const auto drive = [](int n) { return u"\\\\.\\PHYSICALDRIVE" + zt::host::FromAnsi(std::to_string(n)); };
    const auto partition = [](int n) { return u"Disk #" + zt::host::FromAnsi(std::to_string(n)) + u", Partition #0"; };
    for (int n = 0; n < 10; ++n) {
        cim.Add(u"Win32_DiskDrive", {{u"DeviceID", drive(n)}});
        cim.Add(u"Win32_DiskPartition", {{u"DeviceID", partition(n)}});
        cim.Associate(u"Win32_DiskDriveToDiskPartition", drive(n), partition(n));
    }
    for (const int n : {2, 3, 5, 6, 8, 9}) ASSERT_TRUE(cim.Remove(u"Win32_DiskPartition", partition(n)));
    for (const int n : {0, 8}) ASSERT_TRUE(cim.Remove(u"Win32_DiskDrive", drive(n)));
    cim.Add(u"Win32_DiskPartition", {{u"DeviceID", partition(2)}});
    cim.Associate(u"Win32_DiskDriveToDiskPartition", drive(2), partition(2));
    const auto keys = [&](const String& wql) {
        std::vector<String> found;
        const auto texts = cim.Query(wql).value();
        for (const String& text : texts) found.push_back(text.substr(text.find(u"DeviceID")));
        return found;
    };
    EXPECT_EQ(keys(u"SELECT DeviceID FROM Win32_DiskPartition"),
              (std::vector<String>{u"DeviceID = \"Disk #0, Partition #0\";\n};\n", u"DeviceID = \"Disk #1, Partition #0\";\n};\n",
                                   u"DeviceID = \"Disk #4, Partition #0\";\n};\n", u"DeviceID = \"Disk #7, Partition #0\";\n};\n",
                                   u"DeviceID = \"Disk #2, Partition #0\";\n};\n"}));
    struct Walk {
        int drive;
        std::size_t partitions;
    };
    for (const Walk walk : {Walk{0, 0}, Walk{1, 1}, Walk{2, 1}, Walk{4, 1}, Walk{7, 1}, Walk{8, 0}}) {
        const String wql = u"ASSOCIATORS OF {Win32_DiskDrive.DeviceID=" + zt::world::WrittenString(drive(walk.drive)) +
                           u"} WHERE AssocClass = Win32_DiskDriveToDiskPartition";
        EXPECT_EQ(cim.Query(wql).value().size(), walk.partitions) << walk.drive;
    }
    // A removed partition's drive no longer leads to it; the partition back to its drive.
    EXPECT_TRUE(cim.Query(u"ASSOCIATORS OF {Win32_DiskPartition.DeviceID=\"Disk #0, Partition #0\"} WHERE AssocClass = Win32_DiskDriveToDiskPartition").value().empty());
}

TEST(WqlLike, FollowsWmiPatternRules) {
    struct Case {
        const char16_t* value;
        const char16_t* pattern;
        bool matches;
    };
    const Case cases[] = {
        {u"USB Serial Port (COM5)", u"%(COM5%", true},
        {u"USB Serial Port (COM50)", u"%(COM5%", true},
        {u"USB Serial Port (COM15)", u"%(COM5%", false},
        {u"usbasp", u"%USBASP%", true},
        {u"Removable Media", u"Removable Media%", true},
        {u"Fixed hard disk media", u"Removable Media%", false},
        {u"COM7", u"COM_", true},
        {u"COM17", u"COM_", false},
        {u"COM7", u"COM[0-9]", true},
        {u"COMx", u"COM[0-9]", false},
        {u"COMx", u"COM[^0-9]", true},
        {u"COMb", u"COM[abc]", true},
        {u"COMB", u"COM[a-c]", true},
        {u"", u"%", true},
        {u"", u"_", false},
        {u"a[b", u"a[b", true},
        {u"abcabd", u"%ab_", true},
        {u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaab", u"%a%a%a%a%a%c", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(zt::world::WqlLike(c.value, c.pattern), c.matches)
            << zt::host::ToUtf8(c.value) << " LIKE " << zt::host::ToUtf8(c.pattern);
    }
}

}  // namespace
