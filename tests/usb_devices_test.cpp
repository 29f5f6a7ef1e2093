// The device view on the simulated world: each shape real machines show is one record with
// all its faces and its place, and every port goes by one name however it was seen.
#include <gtest/gtest.h>

#include <variant>

#include "ztusb/devices/devices.h"
#include "ztusb/devices/world_in_use.h"
#include "ztusb/sim/boards.h"
#include "ztusb/sim/workstation.h"
#include "ztusb/testkit/test_world.h"
#include "tests/device_lines.h"
#include "tests/test_support.h"

namespace {

using zt::devices::UsbDevice;
using zt::host::String;
using zt::sim::Volume;

using Model = std::variant<zt::sim::SerialDevice, zt::sim::StorageDevice, zt::sim::UsbBoard>;

Volume Fat(const String& letter, const String& label) {
    return {letter, u"FAT32", 1 << 24, 1 << 23, label, u"1A2B3C4D"};
}

struct Shape {
    const char* name;
    std::vector<std::pair<Model, std::u16string>> devices;  // plugged in this order, at the location
    std::vector<std::string> records;
};

std::vector<Shape> Shapes() {
    using namespace zt::sim;
    const auto ch340 = [](const String& instance, const String& port) { return Ch340Adapter(instance, port); };
    return {
        {"FT232R", {{FtdiAdapter(u"A50285BI", u"COM5"), u"1-2"}}, {"0403:6001 A50285BI A50285BI @1-2 | COM5 A"}},
        {"FT2232H: an interface above each channel's port",
         {{FtdiMultiChannel(u"FT5Y6HVE", {u"COM5", u"COM6"}), u"1-3"}},
         {"0403:6010 FT5Y6HVE FT5Y6HVE @1-3 | COM5 if0 A | COM6 if1 B"}},
        {"FT4232H", {{FtdiMultiChannel(u"FT9ABCDE", {u"COM7", u"COM8", u"COM9", u"COM10"}), u"1-1"}},
         {"0403:6011 FT9ABCDE FT9ABCDE @1-1 | COM7 if0 A | COM8 if1 B | COM9 if2 C | COM10 if3 D"}},
        {"two FT2232s with one EEPROM serial: the second's instance made from its port",
         {{FtdiMultiChannel(u"FT5Y6HVE", {u"COM5", u"COM6"}), u"1-3"},
          {FtdiMultiChannel(u"FT5Y6HVE", {u"COM7", u"COM8"}, u"6&9358ac4&0&4"), u"1-4"}},
         {"0403:6010 FT5Y6HVE FT5Y6HVE @1-3 | COM5 if0 A | COM6 if1 B",
          "0403:6010 - 6&9358AC4&0&4 @1-4 | COM7 if0 A | COM8 if1 B"}},
        {"CH340 without a serial", {{ch340(u"5&2d6e3b1&0&2", u"COM6"), u"1-2"}},
         {"1a86:7523 - 5&2D6E3B1&0&2 @1-2 | COM6"}},
        {"composite CDC (Pico)", {{CompositeCdcDevice(u"E660D4A0A7593A2B", u"7&209891e8&0&0000", u"COM9"), u"1-6"}},
         {"2e8a:000a E660D4A0A7593A2B E660D4A0A7593A2B @1-6 | COM9 if0"}},
        {"CP2105: COM numbers against the interface order",
         {{DualUartBridge(u"00A1B2C3", u"COM5", u"COM4"), u"1-1"}},
         {"10c4:ea70 00A1B2C3 00A1B2C3 @1-1 | COM5 if0 | COM4 if1"}},
        {"LTE modem: ports on interfaces 2, 3, 12, 13",
         {{LteModem(u"0123456789ABCDEF", {u"COM10", u"COM11", u"COM12", u"COM13"}), u"2-1"}},
         {"1199:9091 0123456789ABCDEF 0123456789ABCDEF @2-1 | COM10 if2 | COM11 if3 | COM12 if12 | COM13 if13"}},
        {"ST-Link V2-1: port and drive",
         {{Board(BoardKind::StLinkV21, u"066CFF515570514867145144", {u"COM7"}, 1, {{Fat(u"E:", u"NODE_F446RE")}}), u"1-5"}},
         {"0483:374b 066CFF515570514867145144 066CFF515570514867145144 @1-5 | COM7 if2 | disk 0 MBED microcontroller USB "
          "Device | E: lun0 FAT32 NODE_F446RE"}},
        {"DAPLink", {{Board(BoardKind::DapLink, u"0240000034544E45", {u"COM8"}, 1, {{Fat(u"F:", u"DAPLINK")}}), u"1-7"}},
         {"0d28:0204 0240000034544E45 0240000034544E45 @1-7 | COM8 if1 | disk 0 MBED VFS USB Device | F: lun0 FAT32 DAPLINK"}},
        {"J-Link: two ports and a drive",
         {{Board(BoardKind::JLink, u"000260012345", {u"COM3", u"COM4"}, 2, {{Fat(u"G:", u"JLINK")}}), u"1-8"}},
         {"1366:1055 000260012345 000260012345 @1-8 | COM3 if2 | COM4 if4 | disk 0 SEGGER MSD Volume USB Device | G: lun0 "
          "FAT32 JLINK"}},
        {"CircuitPython with two LUNs",
         {{Board(BoardKind::CircuitPython, u"DE6185100F4B6A2C", {u"COM11"}, 1,
                 {{Fat(u"E:", u"CIRCUITPY")}, {Fat(u"F:", u"SDCARD")}}), u"1-9"}},
         {"239a:80f4 DE6185100F4B6A2C DE6185100F4B6A2C @1-9 | COM11 if0 | disk 0 Adafruit CircuitPY USB Device | disk 1 "
          "Adafruit SD Card USB Device | E: lun0 FAT32 CIRCUITPY | F: lun1 FAT32 SDCARD"}},
        {"two-slot card reader with a card in its second slot",
         {{CardReader(u"058F63666433", 1, {{}, {Fat(u"E:", u"CARD")}}, 2), u"1-2"}},
         {"058f:6366 058F63666433 058F63666433 @1-2 | disk 0 Generic- SD/MMC USB Device | disk 1 Generic- Compact Flash USB "
          "Device | E: lun1 FAT32 CARD"}},
        {"UASP SSD", {{UaspDisk(u"1234567DB9FB", false, 1, {{{u"E:", u"exFAT", 1000000, 900000, u"T5", u"0A0B0C0D"}}}), u"2-2"}},
         {"04e8:61f5 1234567DB9FB 1234567DB9FB @2-2 | disk 0 Samsung Portable SSD T5 SCSI Disk Device | E: lun0 exFAT T5"}},
        {"hub with four adapters, two of them identical CH340s without serials",
         {{UsbHub(u"5&1f2e3d4c&0&4"), u"1-4"},
          {ch340(u"6&2bd4e1a9&0&1", u"COM3"), u"1-4.1"},
          {ch340(u"6&2bd4e1a9&0&2", u"COM4"), u"1-4.2"},
          {FtdiAdapter(u"A1B2C3D4", u"COM5"), u"1-4.3"},
          {CompositeCdcDevice(u"E6614C311B4A2F2B", u"7&3a9c1d2e&0&0000", u"COM6"), u"1-4.4"}},
         {"05e3:0610 - 5&1F2E3D4C&0&4 @1-4 (hub)", "1a86:7523 - 6&2BD4E1A9&0&1 @1-4.1 hub 1-4 | COM3",
          "1a86:7523 - 6&2BD4E1A9&0&2 @1-4.2 hub 1-4 | COM4", "0403:6001 A1B2C3D4 A1B2C3D4 @1-4.3 hub 1-4 | COM5 A",
          "2e8a:000a E6614C311B4A2F2B E6614C311B4A2F2B @1-4.4 hub 1-4 | COM6 if0"}},
        {"stick with two partitions, and the lowest free port when none is given",
         {{UsbStick(u"4C530001230417117364", 1, {Fat(u"E:", u"STICK"), Fat(u"F:", u"DATA")}), u""}},
         {"0781:5567 4C530001230417117364 4C530001230417117364 @1-1 | disk 0 SanDisk Cruzer Blade USB Device | E: lun0 "
          "FAT32 STICK | F: lun0 FAT32 DATA"}},
        {"USBasp", {{UsbaspProgrammer(u"www.vlx.example"), u"1-2"}}, {"16c0:05dc WWW.VLX.EXAMPLE WWW.VLX.EXAMPLE @1-2 (usbasp)"}},
    };
}

void Attach(zt::sim::Workstation& station, const Model& model, const std::u16string& location, bool plug) {
    std::visit([&](const auto& device) { plug ? station.Plug(device, location) : station.Attach(device, location); },
               model);
}

std::vector<std::string> Records() {
    std::vector<std::string> lines;
    for (const UsbDevice& device : zt::devices::UsbDevices()) lines.push_back(zt::testing::DeviceLine(device));
    return lines;
}

// The port's Serial in the inventory, by port name.
std::map<std::string, std::string> InventorySerials(zt_usb_detector::TZtUsbDetector& detector) {
    std::map<std::string, std::string> serials;
    const std::int32_t count = detector.GetAvailableComPortsEx();
    for (std::int32_t i = 0; i < count; ++i) {
        const auto& port = detector.ZtComInfo[static_cast<std::size_t>(i)];
        serials[zt::host::ToUtf8(port.sPort)] = zt::host::ToUtf8(port.Serial);
    }
    return serials;
}

std::map<std::string, std::string> RecordNames() {
    std::map<std::string, std::string> names;
    for (const UsbDevice& device : zt::devices::UsbDevices()) {
        for (const auto& port : device.ports) names[port.name] = device.name;
    }
    return names;
}

TEST(UsbDevices, EachShapeIsOneRecordWithItsFacesAndPlace) {
    for (const Shape& shape : Shapes()) {
        SCOPED_TRACE(shape.name);
        zt::sim::Workstation station;
        const zt::devices::WorldInUse world(station);
        for (const auto& [model, location] : shape.devices) Attach(station, model, location, false);
        EXPECT_EQ(Records(), shape.records);
    }
}

// Listed before its arrival, reported on it, listed after it: every port of every shape goes
// by its USB device's name, in the records, the inventory and the events alike.
TEST(UsbDevices, APortKeepsOneNameHoweverItWasSeen) {
    for (const Shape& shape : Shapes()) {
        SCOPED_TRACE(shape.name);
        zt::testing::DialogRecorder dialogs;
        zt::sim::Workstation present;
        std::map<std::string, std::string> before;
        {
            const zt::devices::WorldInUse world(present);
            for (const auto& [model, location] : shape.devices) Attach(present, model, location, false);
            zt_usb_detector::TZtUsbDetector detector;
            before = InventorySerials(detector);
            EXPECT_EQ(before, RecordNames());
        }
        zt::sim::Workstation station;
        const zt::devices::WorldInUse world(station);
        zt_usb_detector::TZtUsbDetector detector;
        std::map<std::string, std::string> reported;
        std::vector<std::string> arrivals;
        detector.OnNewComInfo = [&](zt::host::TObject*, std::vector<zt_usb_detector::TZtComInfo> records, std::int32_t) {
            reported[zt::host::ToUtf8(records[0].sPort)] = zt::host::ToUtf8(records[0].Serial);
        };
        detector.OnUsbDetect = [&](zt::host::TObject*, const String& name, const String&, const String&, std::int32_t) {
            arrivals.push_back(zt::host::ToUtf8(name));
        };
        for (const auto& [model, location] : shape.devices) {
            Attach(station, model, location, true);
            zt::testing::PumpRequests();
        }
        EXPECT_EQ(reported, before);
        EXPECT_EQ(InventorySerials(detector), before);
        std::vector<std::string> names;
        for (const UsbDevice& device : zt::devices::UsbDevices()) {
            if (!device.usbasp) names.push_back(device.name);
        }
        std::vector<std::string> heard;
        for (const std::string& arrival : arrivals) {
            if (arrival != "VLX-USBASP") heard.push_back(arrival);
        }
        std::sort(names.begin(), names.end());
        std::sort(heard.begin(), heard.end());
        EXPECT_EQ(heard, names);
        EXPECT_TRUE(dialogs.messages.empty());
    }
}

TEST(UsbDevices, AWorldRefusesAPlaceNoMachineHas) {
    zt::sim::Workstation station;
    station.Attach(zt::sim::FtdiAdapter(u"A1", u"COM5"), u"1-2");
    for (const char16_t* location : {u"1-2", u"1-3.1", u"x", u"1-", u"0-1", u"1-256", u"1"}) {
        EXPECT_THROW(station.Attach(zt::sim::FtdiAdapter(u"B1", u"COM6"), location), std::invalid_argument)
            << zt::host::ToUtf8(location);
    }
    station.Attach(zt::sim::UsbHub(u"5&1&0&3"), u"1-3");
    station.Attach(zt::sim::FtdiAdapter(u"B1", u"COM6"), u"1-3.1");
    EXPECT_THROW(station.Detach(zt::sim::UsbHub(u"5&1&0&3")), std::invalid_argument) << "a hub with a device on it";
    station.Detach(zt::sim::FtdiAdapter(u"B1", u"COM6"));
    station.Detach(zt::sim::UsbHub(u"5&1&0&3"));
    station.Attach(zt::sim::FtdiAdapter(u"B1", u"COM6"), u"1-3");
}

// A hub taken out and put back with what hangs from it (a machine read again) is the same
// hub: its devices keep their location texts, and so their records.
TEST(UsbDevices, AHubPutBackLeavesItsDevicesRecordsAsTheyWere) {
    zt::sim::Workstation station;
    const zt::devices::WorldInUse world(station);
    const zt::sim::SerialDevice hub = zt::sim::UsbHub(u"5&1&0&3");
    const zt::sim::SerialDevice adapter = zt::sim::FtdiAdapter(u"B1", u"COM6");
    station.Attach(hub, u"1-3");
    station.Attach(adapter, u"1-3.1");
    const std::vector<UsbDevice> before = zt::devices::UsbDevices();
    station.Detach(adapter);
    station.Detach(hub);
    station.Attach(hub, u"1-3");
    station.Attach(adapter, u"1-3.1");
    EXPECT_EQ(zt::devices::UsbDevices(), before);
}

// A host's test plugs a world file's devices by their ids, where the file says.
TEST(UsbDevices, AWorldFilesDevicesArePluggedByTheirIds) {
    auto world = zt::testkit::TestWorld::Parse(R"({"devices": [
        {"id": "hub", "kind": "hub", "instance": "5&1f2e3d4c&0&4", "location": "1-4", "attached": true},
        {"id": "ftdi", "kind": "ftdi", "serial": "A50285BI", "port": "COM5", "location": "1-4.3"}]})",
                                               "host.json");
    EXPECT_EQ(world.DeviceIds(), (std::vector<std::string>{"hub", "ftdi"}));
    const zt::devices::WorldInUse inUse(world.Station());
    EXPECT_EQ(zt::devices::UsbDevices().size(), 1u);
    world.Plug("ftdi");
    const auto devices = zt::devices::UsbDevices();
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(zt::testing::DeviceLine(devices[1]), "0403:6001 A50285BI A50285BI @1-4.3 hub 1-4 | COM5 A");
    world.Unplug("ftdi");
    EXPECT_EQ(zt::devices::UsbDevices().size(), 1u);
    try {
        world.Plug("ftdl");
        ADD_FAILURE() << "an unknown id was taken";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "host.json: no device with the id \"ftdl\"");
    }
}

}  // namespace
