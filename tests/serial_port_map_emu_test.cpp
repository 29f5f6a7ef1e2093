// The registry's serial-port map, as the simulated world fills the emulated registry.
#include <gtest/gtest.h>

#include <cstring>

#include "ztusb/world/registry.h"
#include "ztusb/sim/workstation.h"
#include "tests/test_support.h"
#include "ztusb/win32/windows_names.h"

namespace {

using zt::host::String;
using zt::host::TStringList;
using zt::world::kSerialCommKey;
using zt::testing::DialogRecorder;
using zt::testing::Entries;
using zt_usb_detector::TZtUsbDetector;

std::vector<zt::win32::BYTE> Utf16(const String& text) {
    std::vector<zt::win32::BYTE> bytes(text.size() * 2);
    std::memcpy(bytes.data(), text.data(), bytes.size());
    return bytes;
}

class SerialPortMap : public ::testing::Test {
protected:
    ~SerialPortMap() override { zt::world::DeleteRegistryKey(zt::world::kSerialCommKey); }

    void Port(const String& valueName, const String& data) {
        zt::world::SetRegistryValue(zt::world::kSerialCommKey, valueName, REG_SZ, Utf16(data + String(1, u'\0')));
    }

    std::vector<std::intptr_t> Numbers() const {
        std::vector<std::intptr_t> numbers;
        for (int i = 0; i < ports.Count(); ++i) numbers.push_back(ports.Objects(i));
        return numbers;
    }

    DialogRecorder dialogs;
    TZtUsbDetector detector;
    TStringList ports;
};

TEST_F(SerialPortMap, ListsPortsSortedWithTheirNumbers) {
    Port(u"\\Device\\Serial0", u"COM2");
    Port(u"\\Device\\VCP0", u"COM10");
    Port(u"\\Device\\Serial1", u"COM1");
    ports.Add(u"earlier");
    detector.GetAvailableComPorts(ports, false);
    EXPECT_EQ(Entries(ports), (std::vector<String>{u"COM1", u"COM10", u"COM2"}));
    EXPECT_EQ(Numbers(), (std::vector<std::intptr_t>{1, 10, 2}));
}

TEST_F(SerialPortMap, NamesGiveTypeTextsAfterPaddedPortNames) {
    Port(u"\\Device\\ProlificSerial0", u"COM3");
    Port(u"\\Device\\VCP0", u"COM12");
    Port(u"\\Device\\BthModem0", u"COM123");
    Port(u"\\Device\\Silabser0", u"COM4");
    Port(u"\\Device\\USBSER000", u"COM5");
    Port(u"\\Device\\Serial1", u"COM1000");
    detector.GetAvailableComPorts(ports, true);
    EXPECT_EQ(Entries(ports), (std::vector<String>{
                                  u"COM1000 Serial com port",
                                  u"COM12  Virtual com port",
                                  u"COM123 Bluetooth com port",
                                  u"COM3   Serial com port",
                                  u"COM4   \\Device\\Silabser0",
                                  u"COM5   \\Device\\USBSER000",
                              }));
    EXPECT_EQ(Numbers(), (std::vector<std::intptr_t>{1000, 12, 123, 3, 4, 5}));
}

TEST_F(SerialPortMap, SkipsPortsWithoutANumberAndReadsUpToTheNul) {
    Port(u"\\Device\\com0com10", u"CNCA0");
    Port(u"\\Device\\Serial0", u"COM0");
    Port(u"\\Device\\Serial1", String(u"COM7\0junk", 9));
    Port(u"\\Device\\Serial2", u"XYZ9");  // the first three characters are dropped, whatever
    zt::world::SetRegistryValue(zt::world::kSerialCommKey, u"\\Device\\Serial3", REG_SZ, {});  // no data at all
    const zt::testing::LogRecorder log;
    detector.GetAvailableComPorts(ports, false);
    EXPECT_EQ(Entries(ports), (std::vector<String>{u"COM7", u"XYZ9"}));
    EXPECT_EQ(log.lines, (std::vector<std::string>{
                             "registry: serial-port value \\Device\\com0com10 skipped: CNCA0 is no COM port",
                             "registry: serial-port value \\Device\\Serial0 skipped: COM0 is no COM port",
                             "registry: serial-port value \\Device\\Serial3 skipped:  is no COM port",
                         }));
}

// Another program may leave any value there: one that is no port name is passed over and
// hides none of the ports after it; a long value name is still read whole.
TEST_F(SerialPortMap, OversizedValuesHideNoOtherPort) {
    const String longName = u"\\Device\\" + String(300, u'X');
    Port(u"\\Device\\Serial0", u"COM1");
    Port(u"\\Device\\Serial1", String(200, u'9'));  // 402 bytes of data
    Port(longName, u"COM3");
    Port(u"\\Device\\Serial3", u"COM4");
    const zt::testing::LogRecorder log;
    detector.GetAvailableComPorts(ports, false);
    EXPECT_EQ(Entries(ports), (std::vector<String>{u"COM1", u"COM3", u"COM4"}));
    EXPECT_EQ(log.lines, std::vector<std::string>{"registry: serial-port value 1 skipped: more than 256 bytes of data"});
    detector.GetAvailableComPorts(ports, true);
    ASSERT_EQ(ports.Count(), 3);
    EXPECT_TRUE(ports[1].ends_with(longName)) << zt::host::ToUtf8(ports[1]);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SerialPortMap, AMissingKeyGivesAnEmptyListAndNoMessage) {
    ports.Add(u"earlier");
    const zt::testing::LogRecorder log;
    detector.GetAvailableComPorts(ports, true);
    EXPECT_EQ(ports.Count(), 0);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(log.lines, std::vector<std::string>{"registry: HARDWARE\\DEVICEMAP\\SERIALCOMM could not be opened "
                                                  "(error 2): no serial port is mapped"});
}

TEST_F(SerialPortMap, FollowsDevicesComingAndGoing) {
    zt::sim::Workstation station;
    const auto ftdi = zt::sim::FtdiAdapter(u"FT1", u"COM5");
    station.Attach(zt::sim::BuiltInPort(u"COM1"));
    station.Plug(ftdi);
    zt::testing::PumpRequests();
    detector.GetAvailableComPorts(ports, true);
    EXPECT_EQ(Entries(ports), (std::vector<String>{u"COM1   Serial com port", u"COM5   Virtual com port"}));
    station.Unplug(ftdi);
    detector.GetAvailableComPorts(ports, false);
    EXPECT_EQ(Entries(ports), std::vector<String>{u"COM1"});
}

TEST_F(SerialPortMap, EveryChannelOfAMultiChannelChipComesAndGoes) {
    zt::sim::Workstation station;
    const auto quad = zt::sim::FtdiMultiChannel(u"FT4ABC", {u"COM20", u"COM21", u"COM22", u"COM23"});
    station.Plug(quad);
    zt::testing::PumpRequests();
    detector.GetAvailableComPorts(ports, false);
    EXPECT_EQ(Entries(ports), (std::vector<String>{u"COM20", u"COM21", u"COM22", u"COM23"}));
    station.Unplug(quad);
    detector.GetAvailableComPorts(ports, false);
    EXPECT_EQ(ports.Count(), 0);
    EXPECT_THROW(zt::sim::FtdiMultiChannel(u"FT3", {u"COM1", u"COM2", u"COM3"}), std::invalid_argument);
}

}  // namespace

namespace {

// The value names of the serial-port map in enumeration order, with their data's first letter.
std::vector<String> Enumerated() {
    std::vector<String> found;
    zt::win32::HKEY key = nullptr;
    if (zt::win32::RegOpenKeyExW(HKEY_LOCAL_MACHINE, ZT_WTEXT("HARDWARE\\DEVICEMAP\\SERIALCOMM"), 0, KEY_READ, &key) != 0) {
        return found;
    }
    for (zt::win32::DWORD index = 0;; ++index) {
        zt::win32::WCHAR name[64];
        zt::win32::BYTE data[64];
        zt::win32::DWORD nameLength = 64;
        zt::win32::DWORD dataSize = 64;
        if (zt::win32::RegEnumValueW(key, index, name, &nameLength, nullptr, nullptr, data, &dataSize) != 0) break;
        found.push_back(String(name, name + nameLength) + u"=" + static_cast<char16_t>(data[0]));
    }
    zt::win32::RegCloseKey(key);
    return found;
}

}  // namespace

// Values keep the order they were first set in: setting one again, in any letter case,
// changes it in place; removing one keeps the order of the rest, and it can come back.
TEST_F(SerialPortMap, ValuesKeepTheirOrderThroughChangesAndRemovals) {
    for (const char16_t* name : {u"\\Device\\A", u"\\Device\\B", u"\\Device\\C", u"\\Device\\D"}) Port(name, u"1");
    Port(u"\\DEVICE\\c", u"2");
    EXPECT_TRUE(zt::world::DeleteRegistryValue(zt::world::kSerialCommKey, u"\\device\\b"));
    EXPECT_FALSE(zt::world::DeleteRegistryValue(zt::world::kSerialCommKey, u"\\Device\\B"));
    EXPECT_EQ(Enumerated(), (std::vector<String>{u"\\Device\\A=1", u"\\Device\\C=2", u"\\Device\\D=1"}));
    Port(u"\\Device\\B", u"3");
    Port(u"\\Device\\d", u"4");
    EXPECT_EQ(Enumerated(), (std::vector<String>{u"\\Device\\A=1", u"\\Device\\C=2", u"\\Device\\D=4", u"\\Device\\B=3"}));
}
