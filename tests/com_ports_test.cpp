// The COM port list from WMI: the line scan and its rules.
#include <gtest/gtest.h>

#include "sim/workstation.h"
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
              (std::vector<String>{u"COM6", u"6", u"USB-SERIAL CH340", u"", u"",
                                   u"VID_1A86&PID_7523", u"wch.cn", u""}));
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

TEST_F(ComPortList, PortNameStopsAtTheFirstClosingParenthesis) {
    WmiServed served(FixedObjects({Entity(u"Port (A) Adapter (COM3)", u"", u"")}));
    EXPECT_EQ(detector.GetAvailableComPortsEx(), 1);
    EXPECT_EQ(Fields(detector.ZtComInfo[0]),
              (std::vector<String>{u"A", u"0", u"Port", u"", u"", u"", u"", u""}));
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
