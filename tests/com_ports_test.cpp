// The COM port list from WMI: the line scan and its rules.
#include <gtest/gtest.h>

#include "ztusb/sim/workstation.h"
#include "tests/test_support.h"

namespace {

using zt::host::String;
using zt::testing::DialogRecorder;
using zt::testing::FixedObjects;
using zt::testing::WmiServed;
using zt_usb_detector::TZtComInfo;
using zt_usb_detector::TZtUsbDetector;

String Entity(const String& caption, const String& deviceId, const String& manufacturer) {
    String text = u"\ninstance of Win32_PnPEntity\n{\n\tCaption = \"" + caption + u"\";\n";
    if (!deviceId.empty()) text += u"\tDeviceID = \"" + deviceId + u"\";\n";
    if (!manufacturer.empty()) text += u"\tManufacturer = \"" + manufacturer + u"\";\n";
    return text + u"};\n";
}

std::vector<String> Fields(const TZtComInfo& r) {
    return {r.sPort, zt::host::FromAnsi(std::to_string(r.iPort)), r.PortType, r.VID, r.PID, r.Serial,
            r.Manufacturer, r.Chip};
}

class ComPortList : public ::testing::Test {
protected:
    DialogRecorder dialogs;
    TZtUsbDetector detector;
};

TEST_F(ComPortList, ReadsEveryKindOfPortFromTheWorkstation) {
    zt::sim::Workstation station;
    WmiServed served(station.WmiBackend());
    station.Attach(zt::sim::BuiltInPort(u"COM1"));
    station.Attach(zt::sim::FtdiAdapter(u"FT12AB34", u"COM5"));
    station.Attach(zt::sim::Ch340Adapter(u"5&2D6E3B1&0&2", u"COM6"));
    station.Attach(zt::sim::BluetoothLink(u"7&1B2C3D4E&0&000000000000_00000000", u"COM8"));
    ASSERT_EQ(detector.GetAvailableComPortsEx(), 4);
    ASSERT_EQ(detector.ZtComInfo.size(), 4u);
    EXPECT_EQ(Fields(detector.ZtComInfo[0]),
              (std::vector<String>{u"COM1", u"1", u"Communications Port", u"", u"", u"PNP0501",
                                   u"(Standard port types)", u""}));
    EXPECT_EQ(Fields(detector.ZtComInfo[1]),
              (std::vector<String>{u"COM5", u"5", u"USB Serial Port", u"VID_0403", u"PID_6001",
                                   u"FT12AB34", u"FTDI", u"FT232R"}));
    EXPECT_EQ(Fields(detector.ZtComInfo[2]),
              (std::vector<String>{u"COM6", u"6", u"USB-SERIAL CH340", u"VID_1A86", u"PID_7523",
                                   u"5&2D6E3B1&0&2", u"wch.cn", u""}));
    EXPECT_EQ(Fields(detector.ZtComInfo[3]),
              (std::vector<String>{u"COM8", u"8", u"Bluetooth", u"", u"",
                                   u"7&1B2C3D4E&0&000000000000_00000000", u"Microsoft", u""}));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ComPortList, RecordsEachFt232ROnceWithoutItsManufacturer) {
    WmiServed served(FixedObjects({Entity(u"USB Serial Port (COM5)",
                                          u"FTDIBUS\\\\VID_0403+PID_6001+FT12AB34A\\\\0000", u"FTDI")}));
    detector.GetAvailableComPortsEx();
    detector.GetAvailableComPortsEx();
    ASSERT_EQ(detector.Ft232Rcount, 1);
    ASSERT_EQ(detector.Ft232RList.size(), 1u);
    EXPECT_EQ(Fields(detector.Ft232RList[0]),
              (std::vector<String>{u"COM5", u"5", u"USB Serial Port", u"VID_0403", u"PID_6001",
                                   u"FT12AB34", u"", u"FT232R"}));
}

TEST_F(ComPortList, AnFtdiPortWithoutManufacturerGetsNoChip) {
    WmiServed served(FixedObjects({Entity(u"USB Serial Port (COM5)",
                                          u"FTDIBUS\\\\VID_0403+PID_6001+FT12AB34A\\\\0000", u"")}));
    EXPECT_EQ(detector.GetAvailableComPortsEx(), 1);
    EXPECT_EQ(detector.ZtComInfo[0].Chip, u"");
    EXPECT_EQ(detector.ZtComInfo[0].Manufacturer, u"");
    EXPECT_EQ(detector.Ft232Rcount, 0);
}

// Every USB adapter family gives the IDs and serial its device ID holds; other buses keep
// the instance alone. Models attached as Windows lists them, one after another.
TEST_F(ComPortList, EachAdapterFamilyGivesWhatItsDeviceIdHolds) {
    using zt::sim::UsbSerialChip;
    zt::sim::Workstation station;
    WmiServed served(station.WmiBackend());
    station.Attach(zt::sim::FtdiMultiChannel(u"FT4XYZ", {u"COM11", u"COM12"}));
    station.Attach(zt::sim::UsbSerialAdapter(UsbSerialChip::Ch340, u"5&2d6e3b1&0&2", u"COM6"));
    station.Attach(zt::sim::UsbSerialAdapter(UsbSerialChip::Cp210x, u"0001", u"COM7"));
    station.Attach(zt::sim::UsbSerialAdapter(UsbSerialChip::Prolific, u"6&1a2b3c4d&0&1", u"COM13"));
    station.Attach(zt::sim::UsbSerialAdapter(UsbSerialChip::ArduinoUno, u"55736303831351e0d1b1", u"COM3"));
    station.Attach(zt::sim::CompositeCdcDevice(u"E6614C311B4A2F2B", u"7&1c2f3a4b&0&0000", u"COM9"));
    station.Attach(zt::sim::SerialOverLanPort(u"COM4"));
    ASSERT_EQ(detector.GetAvailableComPortsEx(), 8);
    const std::vector<std::vector<String>> expected = {
        {u"COM11", u"11", u"USB Serial Port", u"VID_0403", u"PID_6010", u"FT4XYZ", u"FTDI", u""},
        {u"COM12", u"12", u"USB Serial Port", u"VID_0403", u"PID_6010", u"FT4XYZ", u"FTDI", u""},
        {u"COM6", u"6", u"USB-SERIAL CH340", u"VID_1A86", u"PID_7523", u"5&2D6E3B1&0&2", u"wch.cn", u""},
        {u"COM7", u"7", u"Silicon Labs CP210x USB to UART Bridge", u"VID_10C4", u"PID_EA60", u"0001",
         u"Silicon Labs", u""},
        {u"COM13", u"13", u"Prolific USB-to-Serial Comm Port", u"VID_067B", u"PID_2303",
         u"6&1A2B3C4D&0&1", u"Prolific", u""},
        {u"COM3", u"3", u"Arduino Uno", u"VID_2341", u"PID_0043", u"55736303831351E0D1B1",
         u"Arduino LLC (www.arduino.cc)", u""},
        {u"COM9", u"9", u"USB Serial Device", u"VID_2E8A", u"PID_000A", u"7&1C2F3A4B&0&0000",
         u"Microsoft", u""},
        {u"COM4", u"4", u"Intel(R) Active Management Technology - SOL", u"", u"",
         u"VEN_8086&DEV_A13D&SUBSYS_06DC1028&REV_31", u"Intel", u""},
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(Fields(detector.ZtComInfo[i]), expected[i]) << i;
    }
    EXPECT_EQ(detector.Ft232Rcount, 0);
    EXPECT_TRUE(dialogs.messages.empty());
}

// Names as users and drivers write them: parentheses of their own, quotes, property words;
// with LF and with CR LF line ends.
TEST_F(ComPortList, NamesAreReadWholeWhateverTheyHold) {
    const std::vector<String> texts = {
        Entity(u"Port (A) Adapter (COM3)", u"ACPI\\\\PNP0501\\\\3", u"Caption Systems"),
        Entity(u"Modem \\\"Fast\\\" (COM9)", u"ROOT\\\\MODEM\\\\0000", u"DeviceID \\\"Inc\\\""),
        Entity(u"Intel(R) Active Management Technology - SOL (COM4)",
               u"PCI\\\\VEN_8086&DEV_A13D&SUBSYS_06DC1028&REV_31\\\\3&11583659&0&B3", u"Intel"),
    };
    const std::vector<std::vector<String>> expected = {
        {u"COM3", u"3", u"Port (A) Adapter", u"", u"", u"PNP0501", u"Caption Systems", u""},
        {u"COM9", u"9", u"Modem \"Fast\"", u"", u"", u"MODEM", u"DeviceID \"Inc\"", u""},
        {u"COM4", u"4", u"Intel(R) Active Management Technology - SOL", u"", u"",
         u"VEN_8086&DEV_A13D&SUBSYS_06DC1028&REV_31", u"Intel", u""},
    };
    for (const String& lineEnd : {String(u"\n"), String(u"\r\n")}) {
        std::vector<String> served;
        for (String text : texts) {
            for (std::size_t at = text.find(u'\n'); at != String::npos;
                 at = text.find(u'\n', at + lineEnd.size())) {
                text.replace(at, 1, lineEnd);
            }
            served.push_back(text);
        }
        WmiServed backend(FixedObjects(served));
        ASSERT_EQ(detector.GetAvailableComPortsEx(), 3);
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(Fields(detector.ZtComInfo[i]), expected[i]) << i << " " << lineEnd.size();
        }
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ComPortList, AnEmptyResultKeepsTheEarlierRecords) {
    {
        WmiServed served(FixedObjects({Entity(u"USB Serial Port (COM5)",
                                              u"FTDIBUS\\\\VID_0403+PID_6001+FT1A\\\\0000", u"FTDI")}));
        ASSERT_EQ(detector.GetAvailableComPortsEx(), 1);
    }
    WmiServed served(FixedObjects({}));
    EXPECT_EQ(detector.GetAvailableComPortsEx(), 0);
    EXPECT_EQ(detector.ZtComInfo.size(), 1u);
    EXPECT_EQ(detector.Ft232Rcount, 1);
}

TEST_F(ComPortList, BrokenDeviceIdsAreReportedAndKeepTheRecordsMadeSoFar) {
    for (const String& deviceId : {String(u"NOBACKSLASHES"), String(u"FTDIBUS\\\\VID_0403+PID_6001\\\\0")}) {
        WmiServed served(FixedObjects({Entity(u"Good Port (COM2)", u"ACPI\\\\PNP0501\\\\2", u""),
                                       Entity(u"Bad Port (COM3)", deviceId, u"")}));
        dialogs.messages.clear();
        EXPECT_EQ(detector.GetAvailableComPortsEx(), 0) << zt::host::ToUtf8(deviceId);
        EXPECT_EQ(dialogs.messages, std::vector<std::string>{"#error in: GetAvailableComPortsEx()"});
        ASSERT_EQ(detector.ZtComInfo.size(), 2u);
        EXPECT_EQ(detector.ZtComInfo[0].Serial, u"PNP0501");
        EXPECT_EQ(detector.ZtComInfo[1].sPort, u"COM3");
    }
}

TEST_F(ComPortList, LinesBeforeTheFirstCaptionAreSkipped) {
    WmiServed served(FixedObjects({u"\ninstance of Win32_PnPEntity\n{\n\tDeviceID = \"X\";\n\tManufacturer = \"M\";\n};\n",
                                   Entity(u"Port (COM4)", u"ACPI\\\\PNP0501\\\\4", u"")}));
    EXPECT_EQ(detector.GetAvailableComPortsEx(), 1);
    EXPECT_EQ(detector.ZtComInfo[0].Manufacturer, u"");
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
