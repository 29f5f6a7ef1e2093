// The new-COM-port inquiry: which arrival name a new port belongs to.
#include <gtest/gtest.h>

#include "host/window_binding.h"
#include "sim/workstation.h"
#include "tests/test_support.h"

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
            zt::sim::BroadcastDeviceChange(kArrival, UsbInterface(Interface(instance)));
        }
        zt::sim::BroadcastDeviceChange(kArrival, zt::sim::PortRecord(port));
    }

    DialogRecorder dialogs;
    zt::sim::Workstation station;
    WmiServed served;
    TZtUsbDetector detector;
    std::vector<std::pair<std::vector<TZtComInfo>, std::int32_t>> infos;
};

TEST_F(NewComInfo, AnotherPortsCaptionStopsTheScanAndTheNextNameIsTried) {
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

TEST_F(NewComInfo, StoppedByAnotherPortTheEventCarriesOneRecordMore) {
    // The FTDI port is listed first and matches; the COM50 entity follows and stops the scan.
    station.Attach(zt::sim::FtdiAdapter(u"FT12AB34", u"COM5"));
    station.Attach(zt::sim::Ch340Adapter(u"5&1&0&1", u"COM50"));
    Arrive({u"FT12AB34"}, u"COM5");
    PumpRequests();
    ASSERT_EQ(infos.size(), 1u);
    EXPECT_EQ(infos[0].second, 1);
    ASSERT_EQ(infos[0].first.size(), 2u);
    EXPECT_EQ(infos[0].first[1].sPort, u"COM50");
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
    Arrive({u"BROKEN", u"FT12AB34"}, u"COM5");
    PumpRequests();
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"#err0041 GetNewComInfo Exception"});
    ASSERT_EQ(infos.size(), 1u);
    EXPECT_EQ(infos[0].first[0].Serial, u"FT12AB34");
}

// The pump between two names lets a removal shorten the list under the inquiry: the read of
// the second name fails and is reported, and nothing is read out of bounds.
TEST_F(NewComInfo, AListThatShrankDuringThePumpIsAReportedFailure) {
    station.Attach(zt::sim::Ch340Adapter(u"5&1&0&1", u"COM50"));
    const auto remover = zt::host::AllocateHWnd([](zt::host::TMessage& message) {
        if (message.Msg != WM_APP) return;
        for (const char16_t* instance : {u"FIRST", u"SECOND"}) {
            zt::sim::BroadcastDeviceChange(kRemoval, UsbInterface(Interface(instance)));
        }
    });
    Arrive({u"FIRST", u"SECOND"}, u"COM5");
    zt::win32::PostMessageW(remover, WM_APP, 0, 0);  // queued behind the request
    PumpRequests();
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Debug ERR #133"});
    EXPECT_TRUE(infos.empty());
    zt::host::FreeObjectInstance(remover);
    zt::win32::DestroyWindow(remover);
}

}  // namespace
