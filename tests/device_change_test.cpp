// Decoding of device-change records, called directly with raw bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "tests/test_support.h"
#include "ztusb/win32/windows_names.h"

namespace {

using zt::host::String;
using zt::host::TMessage;
using zt::world::Record;
using zt::testing::DialogRecorder;
using zt::testing::RecordEvents;
using zt_usb_detector::TFT232RLIST;
using zt_usb_detector::TZtUsbDetector;

constexpr std::uint32_t kArrival = DBT_DEVICEARRIVAL;
constexpr std::uint32_t kRemoval = DBT_DEVICEREMOVECOMPLETE;

class DecoderProbe : public TZtUsbDetector {
public:
    void Decode(std::uint32_t event, const zt::world::Record& record) {
        TMessage message{WM_DEVICECHANGE, event, reinterpret_cast<zt::win32::LPARAM>(record.data()),
                         0};
        WMDeviceChange(message);
        EXPECT_EQ(message.Result, 0);
    }
};

class DeviceChange : public ::testing::Test {
protected:
    DeviceChange() { RecordEvents(detector, events); }
    ~DeviceChange() override { zt::testing::PumpRequests(); }

    // The requests the decoding posted so far, in order.
    std::vector<std::string> Requests() { return zt::testing::PumpRequests(); }

    void Plug(const std::u16string& interfaceName) {
        detector.Decode(kArrival, zt::testing::UsbInterface(interfaceName));
    }

    DialogRecorder dialogs;
    DecoderProbe detector;
    std::vector<std::string> events;
};

TFT232RLIST Ft232R(const char16_t* port) {
    TFT232RLIST entry;
    entry.sPort = port;
    entry.Chip = u"FT232R";
    return entry;
}

std::vector<String> Ports(const std::vector<TFT232RLIST>& list) {
    std::vector<String> ports;
    for (const auto& entry : list) ports.push_back(entry.sPort);
    return ports;
}

TEST_F(DeviceChange, PortArrivalAndRemovalRaiseTheComEvent) {
    detector.Decode(kArrival, zt::world::PortRecord(u"COM7"));
    EXPECT_EQ(detector.ComPort, "COM7");
    detector.Decode(kRemoval, zt::world::PortRecord(u"COM12"));
    EXPECT_EQ(detector.ComPort, "COM12");
    EXPECT_EQ(events, (std::vector<std::string>{"com COM7 1", "com COM12 0"}));
    EXPECT_TRUE(Requests().empty()) << "no arrival names, so no request";
}

TEST_F(DeviceChange, PortArrivalAsksForDetailsOnlyWhileDevicesAreListed) {
    Plug(u"\\\\?\\USB#VID_0403&PID_6001#A50285BI#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
    detector.Decode(kArrival, zt::world::PortRecord(u"COM7"));
    detector.Decode(kRemoval, zt::world::PortRecord(u"COM7"));
    EXPECT_EQ(Requests(), std::vector<std::string>{"DoNewComInfo:COM7"});
}

TEST_F(DeviceChange, PortBroadcastDropsTheFt232REntryOfItsPort) {
    detector.Ft232RList = {Ft232R(u"COM3"), Ft232R(u"COM7"), Ft232R(u"COM9")};
    detector.Ft232Rcount = 3;
    detector.Decode(kArrival, zt::world::PortRecord(u"com7"));
    EXPECT_EQ(detector.Ft232Rcount, 3) << "the match is case-sensitive";

    detector.Decode(kRemoval, zt::world::PortRecord(u"COM7"));
    EXPECT_EQ(Ports(detector.Ft232RList), (std::vector<String>{u"COM3", u"COM9"}));
    EXPECT_EQ(detector.Ft232Rcount, 2);

    detector.Ft232RList = {Ft232R(u"COM3"), Ft232R(u"COM7"), Ft232R(u"COM9")};
    detector.Ft232Rcount = 3;
    detector.Decode(kArrival, zt::world::PortRecord(u"COM3"));
    EXPECT_EQ(Ports(detector.Ft232RList), (std::vector<String>{u"COM9", u"COM7"}));
    EXPECT_EQ(detector.Ft232Rcount, 2);
}

TEST_F(DeviceChange, PortEntryIsGoneBeforeTheComHandlerRuns) {
    detector.Ft232RList = {Ft232R(u"COM5")};
    detector.Ft232Rcount = 1;
    std::int32_t countSeen = -1;
    detector.OnComDetect = [&](zt::host::TObject*, const String&, std::int32_t) {
        countSeen = detector.Ft232Rcount;
    };
    detector.Decode(kArrival, zt::world::PortRecord(u"COM5"));
    EXPECT_EQ(countSeen, 0);
}

TEST_F(DeviceChange, VolumeReportsEveryDriveLetterOfTheMaskInOrder) {
    detector.Decode(kArrival, zt::world::VolumeRecord(0x10));
    detector.Decode(kArrival, zt::world::VolumeRecord(0x30));
    detector.Decode(kRemoval, zt::world::VolumeRecord((1u << 25) | 0x30));
    detector.Decode(kArrival, zt::world::VolumeRecord(0xFC000000u | 0x1));  // bits above Z ignored
    EXPECT_EQ(events, (std::vector<std::string>{"volume E 1", "volume E 1", "volume F 1",
                                                "volume E 0", "volume F 0", "volume Z 0",
                                                "volume A 1"}));
}

TEST_F(DeviceChange, VolumeWithoutDriveBitsReportsAndPostsNothing) {
    Plug(u"USBSTOR#VID_0781&PID_5567#4C530001#{x}");
    events.clear();
    detector.Decode(kArrival, zt::world::VolumeRecord(0));
    detector.Decode(kArrival, zt::world::VolumeRecord(0xFC000000u));
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(Requests().empty());
}

TEST_F(DeviceChange, VolumeArrivalAsksAboutTheNewestArrivalWithAllItsLetters) {
    Plug(u"X#VID_0781&PID_5567#FIRST#{x}");
    Plug(u"X#VID_0403&PID_6001#SECOND#{x}");
    detector.Decode(kArrival, zt::world::VolumeRecord(0xFC000030u));  // E:, F: and bits above Z
    detector.Decode(kRemoval, zt::world::VolumeRecord(0x10));
    zt::win32::MSG request{};
    ASSERT_TRUE(zt::win32::PeekMessageW(&request, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(request.message, zt_usb_detector::WM_DETECTOR_REQUEST);
    EXPECT_EQ(request.lParam, 0x30);
    EXPECT_EQ(Requests(), std::vector<std::string>{"DoNewVolInfo:SECOND"}) << "a removal asks nothing";
}

TEST_F(DeviceChange, InterfaceNameGivesInstanceVendorAndProduct) {
    Plug(u"\\\\?\\USB#VID_0403&PID_6001#A50285BI#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
    Plug(u"\\\\?\\USB#VID_046D&PID_C52B&MI_00#6&3a&0&0000#{x}");
    EXPECT_EQ(events, (std::vector<std::string>{"usb A50285BI VID_0403 PID_6001 1",
                                                "usb 6&3A&0&0000 VID_046D PID_C52B 1"}));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(DeviceChange, InterfaceNameWithoutHashIsReportedAndStillDecoded) {
    Plug(u"VID_1234&PID_5678&REV_0100");
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Debug error #1"});
    EXPECT_EQ(events, std::vector<std::string>{"usb  VID_1234 PID_5678 1"});
    ASSERT_EQ(detector.ArrivalNames().Count(), 1);
    EXPECT_EQ(detector.ArrivalNames()[0], u"");
}

TEST_F(DeviceChange, InterfaceNameOfTwoPiecesHasNoInstanceAndNoProduct) {
    Plug(u"USB#VID_1234");
    EXPECT_EQ(events, std::vector<std::string>{"usb  VID_1234  1"});
    EXPECT_EQ(detector.ArrivalNames().Count(), 1);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(DeviceChange, UsbaspProgrammersGetOneOfTwoNames) {
    Plug(u"USB#VID_16C0&PID_05DC#www.vlx.example#{x}");
    Plug(u"USB#VID_16C0&PID_05DC#WWW.VLX.EXAMPLE#{x}");
    Plug(u"USB#VID_16C0&PID_05DC#1234#{x}");
    Plug(u"USB#vid_16c0&PID_05DC#www.vlx.example#{x}");
    EXPECT_EQ(events, (std::vector<std::string>{
                          "usb VLX-USBASP VID_16C0 PID_05DC 1",
                          "usb USBasp clone VID_16C0 PID_05DC 1",
                          "usb USBasp clone VID_16C0 PID_05DC 1",
                          "usb WWW.VLX.EXAMPLE vid_16c0 PID_05DC 1",
                      }));
}

TEST_F(DeviceChange, RemovalDeletesTheFirstEntryMatchingIgnoringCase) {
    Plug(u"USB#VID_1&PID_2#abc#{x}");
    Plug(u"USB#VID_1&PID_2#other#{x}");
    Plug(u"USB#VID_1&PID_2#ABC#{x}");
    detector.Decode(kRemoval, zt::testing::UsbInterface(u"USB#VID_1&PID_2#Abc#{x}"));
    const auto& names = detector.ArrivalNames();
    ASSERT_EQ(names.Count(), 2);
    EXPECT_EQ(names[0], u"OTHER");
    EXPECT_EQ(names[1], u"ABC");
    EXPECT_EQ(events.back(), "usb ABC VID_1 PID_2 0");
}

TEST_F(DeviceChange, RemovalOfAnUnlistedDeviceStillRaisesTheEvent) {
    Plug(u"USB#VID_1&PID_2#kept#{x}");
    detector.Decode(kRemoval, zt::testing::UsbInterface(u"USB#VID_1&PID_2#never#{x}"));
    EXPECT_EQ(detector.ArrivalNames().Count(), 1);
    EXPECT_EQ(events.back(), "usb NEVER VID_1 PID_2 0");
}

TEST_F(DeviceChange, ArrivalIsListedBeforeTheHandlerRunsAndWithoutOne) {
    int listedSeen = -1;
    detector.OnUsbDetect = [&](zt::host::TObject*, const String&, const String&, const String&,
                               std::int32_t) { listedSeen = detector.ArrivalNames().Count(); };
    Plug(u"USB#VID_1&PID_2#one#{x}");
    EXPECT_EQ(listedSeen, 1);
    detector.OnUsbDetect = nullptr;
    Plug(u"USB#VID_1&PID_2#two#{x}");
    EXPECT_EQ(detector.ArrivalNames().Count(), 2);
}

TEST_F(DeviceChange, OtherEventCodesAndDeviceTypesDoNothing) {
    Plug(u"USB#VID_1&PID_2#one#{x}");
    events.clear();
    detector.Decode(DBT_DEVICEQUERYREMOVE, zt::world::PortRecord(u"COM1"));
    detector.Decode(DBT_DEVICEQUERYREMOVE, zt::testing::UsbInterface(u"USB#VID_1&PID_2#one#{x}"));
    zt::world::Record handle = zt::world::PortRecord(u"COM1");
    handle[4] = 6;  // DBT_DEVTYP_HANDLE
    detector.Decode(kArrival, handle);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(detector.ComPort, "");
    EXPECT_EQ(detector.ArrivalNames().Count(), 1);
    EXPECT_TRUE(Requests().empty());
}

// Records whose size field says less than their type needs, or names that run to the end
// of the record without a NUL, are read only within the record.
TEST_F(DeviceChange, ReadsNothingBeyondTheDeclaredSize) {
    zt::world::Record port = zt::world::PortRecord(u"COM42");
    std::uint32_t size = 12 + 2 * 4;  // "COM4", no NUL
    std::memcpy(port.data(), &size, sizeof size);
    port.resize(size);
    detector.Decode(kArrival, port);
    EXPECT_EQ(detector.ComPort, "COM4");

    zt::world::Record usb = zt::testing::UsbInterface(u"USB#VID_1&PID_2#serial#{x}");
    size = 28 + 2 * 16;  // "USB#VID_1&PID_2#", no NUL
    std::memcpy(usb.data(), &size, sizeof size);
    usb.resize(size);
    detector.Decode(kArrival, usb);
    EXPECT_EQ(events.back(), "usb  VID_1 PID_2 1");

    events.clear();
    zt::world::Record volume = zt::world::VolumeRecord(0x10);
    size = 16;
    std::memcpy(volume.data(), &size, sizeof size);
    volume.resize(size);
    detector.Decode(kArrival, volume);
    zt::world::Record shortUsb(usb.begin(), usb.begin() + 27);
    size = 27;
    std::memcpy(shortUsb.data(), &size, sizeof size);
    detector.Decode(kArrival, shortUsb);
    zt::world::Record header(8, 0);
    size = 8;
    std::memcpy(header.data(), &size, sizeof size);
    header.resize(12);  // the bytes are there, but the record says it is shorter than a header
    detector.Decode(kArrival, header);
    EXPECT_TRUE(events.empty());
}

TEST_F(DeviceChange, PortNameIsReadUpTo261Units) {
    const std::u16string longName(300, u'X');
    detector.Decode(kArrival, zt::world::PortRecord(longName));
    EXPECT_EQ(detector.ComPort, std::string(261, 'X'));
}

TEST_F(DeviceChange, HandlerFailuresLeaveTheDecoderWithWorkAlreadyDone) {
    detector.OnUsbDetect = [](zt::host::TObject*, const String&, const String&, const String&,
                              std::int32_t) { throw std::runtime_error("host bug"); };
    EXPECT_THROW(Plug(u"USB#VID_1&PID_2#one#{x}"), std::runtime_error);
    EXPECT_EQ(detector.ArrivalNames().Count(), 1);
}

}  // namespace
