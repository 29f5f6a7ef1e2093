// This machine's devices through udev (a umockdev testbed): the inventories come out as
// Windows shows them.
#include <algorithm>
#include <regex>

#include "ztusb/detector/port_path.h"
#include "tests/test_support.h"
#include "tests/udev_machine.h"
#include "tests/volume_fixture.h"

namespace {

using zt::host::String;
using zt::host::ToUtf8;
using zt::testing::DialogRecorder;
using zt::testing::UdevMachine;
using zt::testing::WmiServed;
using zt_usb_detector::TZtUsbDetector;

std::string Fields(const zt_usb_detector::TZtComInfo& r) {
    return ToUtf8(r.sPort + u"|" + r.PortType + u"|" + r.VID + u"|" + r.PID + u"|" + r.Serial + u"|" +
                  r.Manufacturer + u"|" + r.Chip);
}

std::vector<std::string> PortDetails(TZtUsbDetector& detector) {
    std::vector<std::string> lines;
    const int count = detector.GetAvailableComPortsEx();
    for (int i = 0; i < count; ++i) lines.push_back(Fields(detector.ZtComInfo[static_cast<std::size_t>(i)]));
    return lines;
}

std::vector<std::string> PortNames(TZtUsbDetector& detector) {
    zt::host::TStringList list;
    detector.GetAvailableComPorts(list, true);
    std::vector<std::string> lines;
    for (const String& line : zt::testing::Entries(list)) lines.push_back(ToUtf8(line));
    return lines;
}

std::vector<std::string> Volumes(TZtUsbDetector& detector) {
    std::vector<std::string> lines;
    const int count = detector.GetAvailableVolumens();
    for (int i = 0; i < count; ++i) lines.push_back(zt::testing::Describe(detector.ZtAllVolInfo[static_cast<std::size_t>(i)]));
    return lines;
}

class MachineThroughUdev : public ::testing::Test {
protected:
    void Start() {
        world = std::make_unique<zt::udev::MachineWorld>(machine.Mounts(), machine.NamesFile());
        served = std::make_unique<WmiServed>(world->Station().WmiBackend());
    }

    DialogRecorder dialogs;
    UdevMachine machine;
    std::unique_ptr<zt::udev::MachineWorld> world;
    std::unique_ptr<WmiServed> served;
    TZtUsbDetector detector;
};

TEST_F(MachineThroughUdev, SerialAdaptersAreThePortsWindowsWouldList) {
    for (const char* device : {"ft232r", "ft2232", "ch340", "composite_cdc"}) machine.Load(device);
    Start();
    ASSERT_TRUE(world->Available());
    const std::vector<std::string> details = PortDetails(detector);
    ASSERT_EQ(details.size(), 5u);
    EXPECT_EQ(details[0], "COM1|FT232R USB UART|VID_0403|PID_6001|A50285BI|FTDI|FT232R");
    EXPECT_EQ(details[1], "COM2|Dual RS232-HS|VID_0403|PID_6010|FT4ZQ1B7|FTDI|");
    EXPECT_EQ(details[2], "COM3|Dual RS232-HS|VID_0403|PID_6010|FT4ZQ1B7|FTDI|");
    // No serial: the instance Windows makes from the port the adapter sits in.
    EXPECT_TRUE(std::regex_match(details[3], std::regex(R"(COM4\|USB Serial\|VID_1A86\|PID_7523\|5&[0-9A-F]+&0&2\|\(Standard port types\)\|)")))
        << details[3];
    // A composite device: the port on interface 0 has an instance of Windows' making.
    EXPECT_TRUE(std::regex_match(details[4], std::regex(R"(COM5\|Pico\|VID_2E8A\|PID_000A\|7&[0-9A-F]+&0&0000\|Raspberry Pi\|)")))
        << details[4];
    EXPECT_EQ(PortNames(detector),
              (std::vector<std::string>{"COM1   /dev/ttyUSB0", "COM2   /dev/ttyUSB1", "COM3   /dev/ttyUSB2",
                                        "COM4   /dev/ttyUSB3", "COM5   /dev/ttyACM0"}));
    // The file a host opens for a record's port.
    EXPECT_EQ(zt_usb_detector::PortPath(u"COM2"), u"/dev/ttyUSB1");
    EXPECT_EQ(zt_usb_detector::PortPath(u"COM5"), u"/dev/ttyACM0");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MachineThroughUdev, MountedFileSystemsAreLetteredVolumesOfTheirDrives) {
    machine.Load("usb_stick");
    machine.Load("external_disk");
    machine.Mount("/dev/sdb1", "/media/user/STICK", 10733223936, 9000000000);
    machine.Mount("/dev/sdb2", "/media/user/DATA", 5263327232, 5263196160);
    machine.Mount("/dev/sdc2", "/media/user/Elements", 999999995904, 423000000000);
    Start();
    EXPECT_EQ(Volumes(detector),
              (std::vector<std::string>{
                  "D:|FAT32|STICK|1A2B3C4D|SanDisk Cruzer Blade USB Device|"
                  "4C530001230419115453|"
                  "10733223936|9000000000",
                  "E:|exFAT|DATA|5E6F7081|SanDisk Cruzer Blade USB Device|"
                  "4C530001230419115453|"
                  "5263327232|5263196160",
                  "F:|NTFS|Elements|89ABCDEF|WD Elements 25A2 USB Device|"
                  "57584A314131|"
                  "999999995904|423000000000"}));
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace

namespace {

TEST_F(MachineThroughUdev, UsbDisksAreDiskDrivesWithUsbstorIdsAndPartitions) {
    machine.Load("usb_stick");
    machine.Load("external_disk");
    Start();
    auto& cim = world->Station().Cim();
    const auto drives = cim.Query(u"SELECT PNPDeviceID, MediaType, Partitions FROM Win32_DiskDrive");
    ASSERT_TRUE(drives);
    ASSERT_EQ(drives->size(), 2u);
    const std::string stick = ToUtf8((*drives)[0]);
    const std::string disk = ToUtf8((*drives)[1]);
    EXPECT_NE(stick.find(R"(PNPDeviceID = "USBSTOR\\DISK&VEN_SANDISK&PROD_CRUZER_BLADE&REV_1.00\\4C530001230419115453&0";)"), std::string::npos) << stick;
    EXPECT_NE(stick.find("MediaType = \"Removable Media\";"), std::string::npos) << stick;
    EXPECT_NE(stick.find("Partitions = 2;"), std::string::npos) << stick;
    EXPECT_NE(disk.find(R"(PNPDeviceID = "USBSTOR\\DISK&VEN_WD&PROD_ELEMENTS_25A2&REV_1021\\57584A314131&0";)"), std::string::npos) << disk;
    EXPECT_NE(disk.find("MediaType = \"External hard disk media\";"), std::string::npos) << disk;
    // Nothing mounted: partitions without volumes.
    EXPECT_TRUE(Volumes(detector).empty());
    const auto partitions = cim.Query(u"SELECT DeviceID FROM Win32_DiskPartition");
    ASSERT_TRUE(partitions);
    EXPECT_EQ(partitions->size(), 4u);
}

// A disk under the uas driver is what Windows makes of a UASP drive: a SCSI drive whose ID
// holds an instance of Windows' making, behind a storage controller holding the USB serial.
TEST_F(MachineThroughUdev, DisksOnUsbAttachedScsiAreScsiDrives) {
    machine.Load("uasp_ssd");
    machine.Mount("/dev/sdd1", "/media/user/T5", 500000000000, 400000000000);
    Start();
    auto& cim = world->Station().Cim();
    const auto drives = cim.Query(u"SELECT Caption, InterfaceType, MediaType, PNPDeviceID FROM Win32_DiskDrive");
    ASSERT_TRUE(drives);
    ASSERT_EQ(drives->size(), 1u);
    const std::string disk = ToUtf8((*drives)[0]);
    EXPECT_TRUE(std::regex_search(disk, std::regex(R"(PNPDeviceID = "SCSI\\\\DISK&VEN_SAMSUNG&PROD_PORTABLE_SSD_T5\\\\7&[0-9A-F]+&0&000000";)")))
        << disk;
    EXPECT_NE(disk.find("Caption = \"Samsung Portable SSD T5 SCSI Disk Device\";"), std::string::npos) << disk;
    EXPECT_NE(disk.find("InterfaceType = \"SCSI\";"), std::string::npos) << disk;
    EXPECT_NE(disk.find("MediaType = \"External hard disk media\";"), std::string::npos) << disk;
    const auto controller = cim.Query(u"SELECT DeviceID FROM Win32_PnPEntity WHERE Service = \"UASPStor\"");
    ASSERT_TRUE(controller);
    EXPECT_EQ(*controller, std::vector<String>{u"\ninstance of Win32_PnPEntity\n{\n\tDeviceID = \"USB\\\\VID_04E8&PID_61F5\\\\1234567DB9FB\";\n};\n"});
    const std::vector<std::string> volumes = Volumes(detector);
    ASSERT_EQ(volumes.size(), 1u);
    EXPECT_TRUE(std::regex_match(volumes[0], std::regex(R"(D:\|exFAT\|T5\|5A1B2C3D\|Samsung Portable SSD T5 SCSI Disk Device\|7&[0-9A-F]+&0\|500000000000\|400000000000)")))
        << volumes[0];
    EXPECT_TRUE(dialogs.messages.empty());
}

// Windows' way: a device keeps its COM number and a volume its letter across restarts,
// whatever else is present and in whichever order; a newcomer gets the lowest free.
TEST_F(MachineThroughUdev, NamesOutliveTheProgramAndNewcomersGetTheLowestFree) {
    machine.Load("ch340");
    machine.Load("external_disk");
    machine.Mount("/dev/sdc2", "/media/user/Elements", 1000, 500);
    Start();
    EXPECT_EQ(PortNames(detector), (std::vector<std::string>{"COM1   /dev/ttyUSB3"}));
    ASSERT_EQ(Volumes(detector).size(), 1u);
    EXPECT_TRUE(Volumes(detector)[0].starts_with("D:|NTFS|")) << Volumes(detector)[0];

    served.reset();
    world.reset();
    machine.Load("ft232r");     // sorts before the CH340
    machine.Load("usb_stick");  // sorts before the external disk
    machine.Mount("/dev/sdb1", "/media/user/STICK", 1000, 500);
    Start();
    std::vector<std::string> ports = PortNames(detector);
    std::sort(ports.begin(), ports.end());
    EXPECT_EQ(ports, (std::vector<std::string>{"COM1   /dev/ttyUSB3", "COM2   /dev/ttyUSB0"}));
    const std::vector<std::string> volumes = Volumes(detector);
    ASSERT_EQ(volumes.size(), 2u);
    EXPECT_TRUE(volumes[0].starts_with("E:|FAT32|STICK|")) << volumes[0];
    EXPECT_TRUE(volumes[1].starts_with("D:|NTFS|Elements|")) << volumes[1];
}

TEST_F(MachineThroughUdev, AMachineWithoutUsbDevicesListsNothingAndSaysSo) {
    Start();
    EXPECT_FALSE(world->Available());
    EXPECT_TRUE(PortNames(detector).empty());
    EXPECT_TRUE(PortDetails(detector).empty());
    EXPECT_TRUE(Volumes(detector).empty());
    EXPECT_TRUE(dialogs.messages.empty());
}

// Strings a device reports are any bytes of any length: a serial Windows would not take (a
// comma, a blank), text that is not UTF-8, a manufacturer of thousands of characters.
TEST_F(MachineThroughUdev, AttributesThatAreNotTextOrTooLongStayBounded) {
    const std::string usb = "/devices/pci0000:00/0000:00:14.0/usb1/1-7";
    const std::string text = "P: " + usb + "/1-7:1.0/ttyUSB9/tty/ttyUSB9\nN: ttyUSB9\nE: DEVNAME=/dev/ttyUSB9\n"
                             "E: SUBSYSTEM=tty\n\n"
                             "P: " + usb + "/1-7:1.0\nE: DEVTYPE=usb_interface\nE: SUBSYSTEM=usb\n"
                             "A: bInterfaceNumber=zz\n\n"
                             "P: " + usb + "\nN: bus/usb/001/011\nE: DEVTYPE=usb_device\nE: SUBSYSTEM=usb\n"
                             "A: bNumInterfaces= 1\nA: idProduct=7523x\nA: idVendor=1a86\n"
                             "A: serial=AB, \"CD\"\nH: product=41ff00c3284272\n"
                             "A: manufacturer=" + std::string(5000, 'M') + "\n";
    GError* error = nullptr;
    ASSERT_TRUE(umockdev_testbed_add_from_string(machine.Testbed(), text.c_str(), &error))
        << (error ? error->message : "");
    Start();
    ASSERT_EQ(detector.GetAvailableComPortsEx(), 1);
    const auto& port = detector.ZtComInfo[0];
    EXPECT_EQ(port.sPort, u"COM1");
    EXPECT_EQ(port.PID, u"PID_0000");  // not four hex digits
    // Not a serial Windows takes: an instance made from the port the device sits in.
    EXPECT_TRUE(std::regex_match(ToUtf8(port.Serial), std::regex("5&[0-9A-F]+&0&7"))) << ToUtf8(port.Serial);
    EXPECT_LE(port.Manufacturer.size(), 126u);
    EXPECT_FALSE(port.PortType.empty());
    EXPECT_EQ(PortNames(detector), (std::vector<std::string>{"COM1   /dev/ttyUSB9"}));
}

}  // namespace
