// Recorded worlds: a machine as it was read replays the same object texts, byte for byte,
// and a recording that no machine could have made is refused at its line.
#include <gtest/gtest.h>

#include "ztusb/testkit/world.h"

namespace {

using zt::host::String;
using zt::testkit::ParseWorld;

std::string ErrorOf(const std::string& text) {
    try {
        ParseWorld(text, "r.json");
    } catch (const zt::testkit::WorldError& e) {
        return e.what();
    }
    return "no error";
}

std::vector<String> Query(const std::string& recording, const String& wql) {
    const zt::testkit::World world = ParseWorld(recording, "r.json");
    zt::sim::Workstation station;
    zt::testkit::Populate(station, world);
    return station.Cim().Query(wql).value();
}

// The FTDI port as Windows writes it, with the properties the simulator's schema lacks
// (lists, ConfigManagerUserConfig, SystemCreationClassName) among those it knows.
const String kFtdiText =
    u"\ninstance of Win32_PnPEntity\n{\n"
    u"\tCaption = \"USB Serial Port (COM3)\";\n"
    u"\tClassGuid = \"{4d36e978-e325-11ce-bfc1-08002be10318}\";\n"
    u"\tCompatibleID = {\"USB\\\\Class_FF&SubClass_FF&Prot_FF\", \"USB\\\\Class_FF\"};\n"
    u"\tConfigManagerErrorCode = 0;\n"
    u"\tConfigManagerUserConfig = FALSE;\n"
    u"\tCreationClassName = \"Win32_PnPEntity\";\n"
    u"\tDescription = \"USB Serial Port\";\n"
    u"\tDeviceID = \"FTDIBUS\\\\VID_0403+PID_6001+A50285BIA\\\\0000\";\n"
    u"\tHardwareID = {\"FTDIBUS\\\\COMPORT&VID_0403&PID_6001\"};\n"
    u"\tManufacturer = \"FTDI\";\n"
    u"\tName = \"USB Serial Port (COM3)\";\n"
    u"\tPNPClass = \"Ports\";\n"
    u"\tPNPDeviceID = \"FTDIBUS\\\\VID_0403+PID_6001+A50285BIA\\\\0000\";\n"
    u"\tPowerManagementCapabilities = {1, 3};\n"
    u"\tPresent = TRUE;\n"
    u"\tService = \"FTSER2K\";\n"
    u"\tStatus = \"OK\";\n"
    u"\tSystemCreationClassName = \"Win32_ComputerSystem\";\n"
    u"\tSystemName = \"DESKTOP-7Q2M4KD\";\n"
    u"};\n";

const std::string kFtdiRecording = R"json({"version": 1, "instances": [{"class": "Win32_PnPEntity", "properties": {
  "SystemName": "DESKTOP-7Q2M4KD", "SystemCreationClassName": "Win32_ComputerSystem", "Status": "OK",
  "Service": "FTSER2K", "Present": true, "PowerManagementCapabilities": [1, 3],
  "PNPDeviceID": "FTDIBUS\\VID_0403+PID_6001+A50285BIA\\0000", "PNPClass": "Ports",
  "Name": "USB Serial Port (COM3)", "Manufacturer": "FTDI", "LastErrorCode": null,
  "HardwareID": ["FTDIBUS\\COMPORT&VID_0403&PID_6001"],
  "DeviceID": "FTDIBUS\\VID_0403+PID_6001+A50285BIA\\0000", "Description": "USB Serial Port",
  "CreationClassName": "Win32_PnPEntity", "ConfigManagerUserConfig": false,
  "ConfigManagerErrorCode": 0, "CompatibleID": ["USB\\Class_FF&SubClass_FF&Prot_FF", "USB\\Class_FF"],
  "ClassGuid": "{4d36e978-e325-11ce-bfc1-08002be10318}", "Caption": "USB Serial Port (COM3)"}}]})json";

TEST(RecordedWorld, ReplaysTheObjectTextAsWindowsWroteIt) {
    EXPECT_EQ(Query(kFtdiRecording, u"SELECT * FROM Win32_PnPEntity"), std::vector<String>{kFtdiText});
    EXPECT_EQ(Query(kFtdiRecording, u"SELECT Caption FROM Win32_PnPEntity WHERE Service = \"FTSER2K\""),
              std::vector<String>{u"\ninstance of Win32_PnPEntity\n{\n"
                                  u"\tCaption = \"USB Serial Port (COM3)\";\n"
                                  u"\tDeviceID = \"FTDIBUS\\\\VID_0403+PID_6001+A50285BIA\\\\0000\";\n};\n"});
}

const std::string kStorage = R"({"version": 1,
 "instances": [
  {"class": "Win32_DiskDrive", "properties": {"DeviceID": "\\\\.\\PHYSICALDRIVE1", "MediaType": "Removable Media", "Size": "16008523776"}},
  {"class": "Win32_DiskPartition", "properties": {"DeviceID": "Disk #1, Partition #0"}},
  {"class": "Win32_LogicalDisk", "properties": {"DeviceID": "E:", "VolumeName": "STICK"}}],
 "associations": [
  {"class": "Win32_DiskDriveToDiskPartition", "antecedent": "\\\\.\\PHYSICALDRIVE1", "dependent": "Disk #1, Partition #0"},
  {"class": "Win32_LogicalDiskToPartition", "antecedent": "Disk #1, Partition #0", "dependent": "E:"}],
 "broadcasts": [
  {"after_ms": 0, "event": "remove_complete", "record": {"volume": 16},
   "went": {"instances": [{"class": "Win32_LogicalDisk", "key": "E:"}]}}]})";

TEST(RecordedWorld, AssociationsLeadFromDriveToVolumeAndBroadcastsTakeWhatWent) {
    const zt::testkit::World world = ParseWorld(kStorage, "r.json");
    zt::sim::Workstation station;
    zt::testkit::Populate(station, world);
    const String walk = u"ASSOCIATORS OF {Win32_DiskPartition.DeviceID=\"Disk #1, Partition #0\"} "
                        u"WHERE AssocClass = Win32_LogicalDiskToPartition";
    EXPECT_EQ(station.Cim().Query(walk).value(),
              std::vector<String>{u"\ninstance of Win32_LogicalDisk\n{\n\tDeviceID = \"E:\";\n\tVolumeName = \"STICK\";\n};\n"});
    ASSERT_EQ(world.script.size(), 1u);
    zt::testkit::Perform(station, world, world.script[0]);
    EXPECT_TRUE(station.Cim().Query(walk).value().empty());
    EXPECT_TRUE(station.Cim().Query(u"SELECT * FROM Win32_LogicalDisk").value().empty());
}

TEST(RecordedWorld, MalformedRecordingsAreRefusedAtTheirLine) {
    struct Case {
        std::string text;
        std::string error;
    };
    const std::string instance = R"({"class": "Win32_LogicalDisk", "properties": {"DeviceID": "E:"}})";
    const Case cases[] = {
        {"{\"version\": 3}", "r.json:1: expected \"version\": 1 to 2"},
        {"{\"version\": 2, \"device_tree\": [\n{\"id\": \"USB\\\\VID_1&PID_2\\\\A\", \"parent\": \"USB\\\\ROOT_HUB30\\\\4&1&0&0\"}]}",
         "r.json:2: expected a node whose ID no present one has, below a present parent (device node USB\\VID_1&PID_2\\A "
         "hangs from USB\\ROOT_HUB30\\4&1&0&0, which is not in the tree)"},
        {"{\"version\": 2, \"broadcasts\": [{\"event\": \"arrival\", \"record\": {\"port\": \"COM5\"},\n \"went\": {\"device_tree\": [\"USB\\\\X\"]}}]}",
         "r.json:2: expected the ID of a present node"},
        {"{\"version\": 1,\n \"instances\": [{\"class\": \"Win32_Nothing\"}]}",
         "r.json:2: expected \"class\": Win32_PnPEntity, Win32_DiskDrive, Win32_DiskPartition or Win32_LogicalDisk"},
        {"{\"version\": 1, \"instances\": [\n{\"class\": \"Win32_LogicalDisk\",\n \"properties\": {\"VolumeName\": \"X\"}}]}",
         "r.json:3: expected \"DeviceID\": the instance's key"},
        {"{\"version\": 1, \"instances\": [{\"class\": \"Win32_LogicalDisk\", \"properties\": {\"DeviceID\": \"E:\",\n \"Size\": 5}}]}",
         "r.json:2: expected \"Size\": a number written as a text, such as \"16008523776\""},
        {"{\"version\": 1, \"instances\": [{\"class\": \"Win32_LogicalDisk\", \"properties\": {\"DeviceID\": \"E:\",\n \"DriveType\": \"2\"}}]}",
         "r.json:2: expected \"DriveType\": a whole number of 0 or more"},
        {"{\"version\": 1, \"instances\": [{\"class\": \"Win32_LogicalDisk\", \"properties\": {\"DeviceID\": \"E:\",\n \"Odd\": {\"a\": 1}}}]}",
         "r.json:2: expected \"Odd\": a text, number, true, false or a list of those"},
        {"{\"version\": 1, \"instances\": [{\"class\": \"Win32_LogicalDisk\", \"properties\": {\"DeviceID\": \"E:\",\n \"Bad Name\": 1}}]}",
         "r.json:2: expected a property name of letters, digits and _"},
        {"{\"version\": 1, \"instances\": [" + instance + ",\n" + instance + "]}",
         "r.json:2: expected an instance whose key no present one has (duplicate key: E:)"},
        {"{\"version\": 1, \"associations\": [\n{\"class\": \"Win32_LogicalDiskToPartition\", \"antecedent\": \"Disk #1\", \"dependent\": \"E:\"}]}",
         "r.json:2: expected \"antecedent\" and \"dependent\": keys of present instances (no such antecedent: Disk #1)"},
        {"{\"version\": 1, \"serial_ports\": [{\"name\": \"\\\\Device\\\\VCP0\",\n \"type\": \"REG_FOO\", \"data\": \"COM3\"}]}",
         "r.json:2: expected \"type\": REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD or REG_MULTI_SZ"},
        {"{\"version\": 1, \"serial_ports\": [{\"name\": \"x\", \"type\": \"REG_DWORD\",\n \"hex\": \"0g\"}]}",
         "r.json:2: expected \"hex\": bytes as pairs of hex digits, such as \"0a00\""},
        {"{\"version\": 1, \"broadcasts\": [{\"event\": \"arrival\",\n \"record\": {\"device_interface\": \"x\", \"class_guid\": \"{a5dcbf10}\"}}]}",
         "r.json:2: expected \"class_guid\": a GUID such as \"{a5dcbf10-6530-11d2-901f-00c04fb951ed}\""},
        {"{\"version\": 1, \"broadcasts\": [{\"event\": \"arrival\",\n \"record\": {\"volume\": 0}}]}",
         "r.json:2: expected \"volume\": a unit mask, one bit per letter A to Z"},
        {"{\"version\": 1, \"broadcasts\": [{\"record\": {\"port\": \"COM5\"},\n \"event\": \"landing\"}]}",
         "r.json:2: expected \"event\": arrival, query_remove, query_remove_failed, remove_pending, remove_complete or a number"},
        {"{\"version\": 1, \"broadcasts\": [{\"event\": \"arrival\", \"record\": {\"port\": \"COM5\"},\n \"went\": {\"instances\": [{\"class\": \"Win32_PnPEntity\", \"key\": \"X\"}]}}]}",
         "r.json:2: expected the key of a present instance"},
        {"{\"version\": 1, \"broadcasts\": [{\"event\": \"arrival\", \"record\": {\"port\": \"COM5\"}, \"after_ms\": 60001}]}",
         "r.json:1: expected \"after_ms\": at most 60000"},
    };
    for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.text), c.error) << c.text;
}

TEST(RecordedWorld, ModelDevicesAndARecordingShareOneFile) {
    const std::string both = R"({"version": 1,
      "devices": [{"id": "f", "kind": "ftdi", "serial": "A1", "port": "COM5", "attached": true}],
      "instances": [{"class": "Win32_LogicalDisk", "properties": {"DeviceID": "E:"}}]})";
    EXPECT_EQ(Query(both, u"SELECT DeviceID FROM Win32_PnPEntity WHERE Caption LIKE \"%(COM5)\"").size(), 1u);
    EXPECT_EQ(Query(both, u"SELECT DeviceID FROM Win32_LogicalDisk").size(), 1u);
    // Without a version a file is a model world, which must list its devices.
    EXPECT_EQ(ErrorOf(R"({"instances": []})"), "r.json:1: expected \"devices\": a list");
}

}  // namespace
