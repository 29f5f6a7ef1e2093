// The new-COM-port inquiry: which arrival name a new port belongs to.
#include <gtest/gtest.h>

#include <algorithm>

#include "ztusb/host/window_binding.h"
#include "ztusb/sim/workstation.h"
#include "tests/test_support.h"
#include "ztusb/win32/windows_names.h"

namespace {

using zt::host::String;
using zt::testing::DialogRecorder;
using zt::testing::PumpRequests;
using zt::testing::UsbInterface;
using zt::testing::WmiServed;
using zt_usb_detector::TZtComInfo;
using zt_usb_detector::TZtUsbDetector;

constexpr std::uint32_t kArrival = DBT_DEVICEARRIVAL;
constexpr std::uint32_t kRemoval = DBT_DEVICEREMOVECOMPLETE;

String Interface(const String& instance) { return u"\\\\?\\USB#VID_0403&PID_6001#" + instance + u"#{x}"; }

class NewComInfo : public ::testing::Test {
protected:
    NewComInfo() : served(station.WmiBackend()) {
        detector.OnNewComInfo = [this](zt::host::TObject*, std::vector<TZtComInfo> records,
                                       std::int32_t count) {
            infos.push_back({records, count});
        };
    }

    // Announces USB device interfaces by instance, then the port, and lets requests run.
    void Arrive(const std::vector<String>& instances, const String& port) {
        for (const String& instance : instances) {
            zt::world::BroadcastDeviceChange(kArrival, UsbInterface(Interface(instance)));
        }
        zt::world::BroadcastDeviceChange(kArrival, zt::world::PortRecord(port));
    }

    DialogRecorder dialogs;
    zt::sim::Workstation station;
    WmiServed served;
    TZtUsbDetector detector;
    std::vector<std::pair<std::vector<TZtComInfo>, std::int32_t>> infos;
};

TEST_F(NewComInfo, ANameThatNoDeviceOfThePortHoldsGivesNoEvent) {
    station.Attach(zt::sim::Ch340Adapter(u"5&1&0&1", u"COM50"));  // listed first, caption (COM50)
    station.Attach(zt::sim::FtdiAdapter(u"FT12AB34", u"COM5"));
    Arrive({u"NOTHERE"}, u"COM5");
    PumpRequests();
    EXPECT_TRUE(infos.empty());
}

TEST_F(NewComInfo, OnlyTheNameInTheDeviceIdLeadsToTheEvent) {
    station.Attach(zt::sim::FtdiAdapter(u"FT12AB34", u"COM5"));
    Arrive({u"OTHER", u"FT12AB34"}, u"COM5");
    PumpRequests();
    ASSERT_EQ(infos.size(), 1u);
    EXPECT_EQ(infos[0].second, 1);
    EXPECT_EQ(infos[0].first[0].Serial, u"FT12AB34");
    // The port list finds the same serial and appends no second FT232R entry.
    ASSERT_EQ(detector.Ft232Rcount, 1);
    detector.GetAvailableComPortsEx();
    EXPECT_EQ(detector.Ft232Rcount, 1);
}

TEST_F(NewComInfo, OtherPortsTheCaptionPatternSelectsAreSkipped) {
    // The FTDI port is listed first and matches; the COM50 entity that follows is not its.
    station.Attach(zt::sim::FtdiAdapter(u"FT12AB34", u"COM5"));
    station.Attach(zt::sim::Ch340Adapter(u"5&1&0&1", u"COM50"));
    Arrive({u"FT12AB34"}, u"COM5");
    PumpRequests();
    ASSERT_EQ(infos.size(), 1u);
    EXPECT_EQ(infos[0].second, 1);
    ASSERT_EQ(infos[0].first.size(), 1u);
    EXPECT_EQ(infos[0].first[0].sPort, u"COM5");
}

TEST_F(NewComInfo, ABluetoothPortAloneNeverMatches) {
    station.Attach(zt::sim::BluetoothLink(u"7&1B2C3D4E&0&0_00000000", u"COM8"));
    Arrive({u"7&1B2C3D4E&0&0_00000000"}, u"COM8");
    PumpRequests();
    EXPECT_TRUE(infos.empty());
}

TEST_F(NewComInfo, ABrokenResultIsReportedPerQueryAndTheNextNameIsTried) {
    station.Attach(zt::sim::FtdiAdapter(u"FT12AB34", u"COM5"));
    WmiServed broken([this](const String& query) -> std::optional<std::vector<String>> {
        if (query.find(u"BROKEN") != String::npos) {
            return std::vector<String>{u"\tCaption = \"Port (COM5)\";\n\tDeviceID = \"NOBACKSLASH+\";\n"};
        }
        return station.Cim().Query(query);
    });
    Arrive({u"FT12AB34", u"BROKEN"}, u"COM5");  // the newest name is asked first
    PumpRequests();
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"#err0041 GetNewComInfo Exception"});
    ASSERT_EQ(infos.size(), 1u);
    EXPECT_EQ(infos[0].first[0].Serial, u"FT12AB34");
}

// The pump between two names lets a removal shorten the list under the inquiry: the inquiry
// goes on with what is left (here nothing), reads nothing out of bounds and reports no
// failure, since devices leaving is no fault.
TEST_F(NewComInfo, AListThatShrankDuringThePumpEndsTheInquiryQuietly) {
    station.Attach(zt::sim::Ch340Adapter(u"5&1&0&1", u"COM50"));
    const auto remover = zt::host::AllocateHWnd([](zt::host::TMessage& message) {
        if (message.Msg != WM_APP) return;
        for (const char16_t* instance : {u"FIRST", u"SECOND"}) {
            zt::world::BroadcastDeviceChange(kRemoval, UsbInterface(Interface(instance)));
        }
    });
    Arrive({u"FIRST", u"SECOND"}, u"COM5");
    zt::win32::PostMessageW(remover, WM_APP, 0, 0);  // queued behind the request
    PumpRequests();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(infos.empty());
    zt::host::FreeObjectInstance(remover);
    zt::win32::DestroyWindow(remover);
}

// Devices plugged into a fresh workstation, and the records of every OnNewComInfo.
class Scene {
public:
    Scene() : served_(station.WmiBackend()) {
        detector.OnNewComInfo = [this](zt::host::TObject*, std::vector<TZtComInfo> records,
                                       std::int32_t count) {
            std::string line = std::to_string(count);
            for (const TZtComInfo& r : records) {
                line += ' ';
                line += Describe(r);
            }
            events.push_back(line);
        };
    }
    static std::string Describe(const TZtComInfo& r) {
        return zt::host::ToUtf8(r.sPort + u"|" + r.PortType + u"|" + r.VID + u"|" + r.PID + u"|" +
                                r.Serial + u"|" + r.Manufacturer + u"|" + r.Chip) +
               "|" + std::to_string(r.iPort);
    }

    DialogRecorder dialogs;
    zt::sim::Workstation station;
    TZtUsbDetector detector;
    std::vector<std::string> events;

private:
    WmiServed served_;
};

// A USB device without a port that stays in the arrival list.
zt::sim::SerialDevice Mouse() {
    return zt::sim::UsbDevice(u"VID_046D&PID_C077", u"6&3a5b2c1d&0&1", u"USB Input Device");
}

zt::sim::SerialDevice Reversed(zt::sim::SerialDevice device) {
    std::reverse(device.entities.begin(), device.entities.end());
    return device;
}

// Each family, whichever way WMI lists its entities, with a mouse that arrived before the
// adapter or between the adapter and the inquiry: the port's own device claims it.
TEST(NewComInfoScenes, EachAdapterFamilyIsTiedToTheDeviceThatBroughtIt) {
    using zt::sim::UsbSerialChip;
    struct Case {
        zt::sim::SerialDevice device;
        std::string record;
    };
    const std::vector<Case> cases = {
        {zt::sim::FtdiAdapter(u"FT12AB34", u"COM5"),
         "1 COM5|USB Serial Port|VID_0403|PID_6001|FT12AB34|FTDI|FT232R|5"},
        {zt::sim::UsbSerialAdapter(UsbSerialChip::Ch340, u"5&2d6e3b1&0&2", u"COM6"),
         "1 COM6|USB-SERIAL CH340|VID_1A86|PID_7523|5&2D6E3B1&0&2|wch.cn||6"},
        {zt::sim::UsbSerialAdapter(UsbSerialChip::Cp210x, u"0001", u"COM7"),
         "1 COM7|Silicon Labs CP210x USB to UART Bridge|VID_10C4|PID_EA60|0001|Silicon Labs||7"},
        {zt::sim::UsbSerialAdapter(UsbSerialChip::Prolific, u"6&1a2b3c4d&0&1", u"COM13"),
         "1 COM13|Prolific USB-to-Serial Comm Port|VID_067B|PID_2303|6&1A2B3C4D&0&1|Prolific||13"},
        {zt::sim::UsbSerialAdapter(UsbSerialChip::ArduinoUno, u"55736303831351e0d1b1", u"COM3"),
         "1 COM3|Arduino Uno|VID_2341|PID_0043|55736303831351E0D1B1|Arduino LLC (www.arduino.cc)||3"},
        {zt::sim::CompositeCdcDevice(u"E6614C311B4A2F2B", u"7&1c2f3a4b&0&0000", u"COM9"),
         "1 COM9|USB Serial Device|VID_2E8A|PID_000A|E6614C311B4A2F2B|Microsoft||9"},
    };
    for (const Case& c : cases) {
        for (const bool reversed : {false, true}) {
            const zt::sim::SerialDevice device = reversed ? Reversed(c.device) : c.device;
            for (const bool mouseFirst : {true, false}) {
                Scene scene;
                if (mouseFirst) {
                    scene.station.Plug(Mouse());
                    PumpRequests();
                }
                scene.station.Plug(device);
                if (!mouseFirst) scene.station.Plug(Mouse());  // before the request is handled
                PumpRequests();
                EXPECT_EQ(scene.events, std::vector<std::string>{c.record})
                    << c.record << (mouseFirst ? ", mouse first" : ", mouse between")
                    << (reversed ? ", reversed" : "");
                EXPECT_TRUE(scene.dialogs.messages.empty());
            }
        }
    }
}

// Every channel of an FTDI multi-channel chip is a port of its own: one event each, with its
// own record, though all their device IDs hold the serial.
TEST(NewComInfoScenes, EachChannelOfAMultiChannelChipGetsItsOwnEvent) {
    struct Case {
        std::vector<String> ports;
        const char* pid;
    };
    for (const Case& c : {Case{{u"COM5", u"COM55"}, "PID_6010"},
                          Case{{u"COM20", u"COM21", u"COM22", u"COM23"}, "PID_6011"}}) {
        for (const auto& device : {zt::sim::FtdiMultiChannel(u"FT4xyz", c.ports),
                                   Reversed(zt::sim::FtdiMultiChannel(u"FT4xyz", c.ports))}) {
            Scene scene;
            scene.station.Plug(device);
            PumpRequests();
            std::vector<std::string> expected;
            for (const String& port : c.ports) {
                const std::string name = zt::host::ToUtf8(port);
                expected.push_back("1 " + name + "|USB Serial Port|VID_0403|" + c.pid +
                                   "|FT4XYZ|FTDI||" + name.substr(3));
            }
            EXPECT_EQ(scene.events, expected);
        }
    }
}

// Names as devices and drivers write them: parentheses of their own, and a serial holding
// LIKE's and WQL's special characters (a quote left bare would break the query).
TEST(NewComInfoScenes, NamesWithSpecialCharactersFindTheirOwnDevice) {
    auto parenthesised = zt::sim::Ch340Adapter(u"5&2d6e3b1&0&2", u"COM9");
    for (auto& [name, value] : parenthesised.entities[0]) {
        if (name == u"Caption" || name == u"Name") value = u"Intel(R) USB Serial (COM9)";
    }
    const std::vector<std::pair<zt::sim::SerialDevice, std::string>> cases = {
        {parenthesised, "1 COM9|Intel(R) USB Serial|VID_1A86|PID_7523|5&2D6E3B1&0&2|wch.cn||9"},
        {zt::sim::FtdiAdapter(u"F%_[\"x", u"COM5"),
         "1 COM5|USB Serial Port|VID_0403|PID_6001|F%_[\"X|FTDI|FT232R|5"},
    };
    for (const auto& [device, record] : cases) {
        Scene scene;
        scene.station.Plug(device);
        PumpRequests();
        EXPECT_EQ(scene.events, std::vector<std::string>{record}) << record;
        EXPECT_TRUE(scene.dialogs.messages.empty());
    }
}

}  // namespace
