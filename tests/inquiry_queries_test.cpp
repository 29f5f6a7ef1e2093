// The WQL text each serial-port inquiry sends, character for character, and how many.
#include <gtest/gtest.h>

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

// Answers from the workstation and keeps every query it was asked.
class RecordedQueries : public ::testing::Test {
protected:
    RecordedQueries()
        : served([this](const String& query) {
              queries.push_back(query);
              return station.Cim().Query(query);
          }) {}

    DialogRecorder dialogs;
    zt::sim::Workstation station;
    WmiServed served;
    TZtUsbDetector detector;
    std::vector<String> queries;
};

TEST_F(RecordedQueries, PortListAndUsbaspCheckSendTheirFixedTexts) {
    detector.GetAvailableComPortsEx();
    detector.CheckUSBasp();
    const std::vector<String> expected = {
        u"SELECT Caption,DeviceID,Manufacturer FROM Win32_PnPEntity WHERE Caption Like \"%(COM%\" ",
        u"SELECT *  FROM Win32_PnPEntity WHERE Caption Like \"%USBASP%\"",
    };
    EXPECT_EQ(queries, expected);
    ASSERT_EQ(queries.size(), 2u);
    EXPECT_EQ(queries[0].size(), 86u);
    EXPECT_EQ(queries[1].size(), 60u);
}

// The names come from the device: only they are escaped, the rest of the text is fixed.
TEST_F(RecordedQueries, NewPortQueryInsertsBothNamesAsLiterals) {
    const String head =
        u"SELECT Caption,Description,DeviceID,Manufacturer FROM Win32_PnPEntity WHERE Caption "
        u"Like \"%(";
    ASSERT_EQ(head.size(), 92u);
    struct Case {
        String port, arrivalName, portLiteral, nameLiteral;
    };
    const std::vector<Case> cases = {
        {u"COM5", u"FT12AB34", u"COM5", u"FT12AB34"},
        {u"COM_1", u"5&2d6e3b1&0&2", u"COM[_]1", u"5&2D6E3B1&0&2"},
        {u"COM9", u"a%B_C[D", u"COM9", u"A[%]B[_]C[[]D"},
        {u"COM7", u"Q\"X\\Y", u"COM7", u"Q\\\"X\\\\Y"},
    };
    for (const Case& c : cases) {
        queries.clear();
        zt::world::BroadcastDeviceChange(
            DBT_DEVICEARRIVAL, UsbInterface(u"\\\\?\\USB#VID_0403&PID_6001#" + c.arrivalName + u"#{x}"));
        zt::world::BroadcastDeviceChange(DBT_DEVICEARRIVAL, zt::world::PortRecord(c.port));
        PumpRequests();
        EXPECT_EQ(queries, std::vector<String>{head + c.portLiteral + u"%\"  or PNPDeviceID Like \"%" +
                                               c.nameLiteral + u"%\""})
            << zt::host::ToUtf8(c.arrivalName);
        zt::world::BroadcastDeviceChange(
            DBT_DEVICEREMOVECOMPLETE,
            UsbInterface(u"\\\\?\\USB#VID_0403&PID_6001#" + c.arrivalName + u"#{x}"));
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

// Each port of a hub's adapters costs one query, however many devices were attached before.
TEST_F(RecordedQueries, EarlierDevicesCostNoQueries) {
    for (int i = 0; i < 6; ++i) {
        station.Plug(zt::sim::UsbDevice(u"VID_046D&PID_C31C",
                                       u"6&3a5b2c1d&0&" + zt::host::FromAnsi(std::to_string(i)),
                                       u"USB Input Device"));
    }
    PumpRequests();
    std::vector<String> serials;
    detector.OnNewComInfo = [&](zt::host::TObject*, std::vector<TZtComInfo> records, std::int32_t) {
        serials.push_back(records[0].Serial);
    };
    queries.clear();
    std::vector<String> expected;
    for (int i = 0; i < 4; ++i) {
        const String number = zt::host::FromAnsi(std::to_string(10 + i));
        station.Plug(zt::sim::Ch340Adapter(u"5&2d6e3b1&0&" + number, u"COM" + number));
        expected.push_back(u"5&2D6E3B1&0&" + number);
        PumpRequests();
    }
    EXPECT_EQ(queries.size(), 4u);
    EXPECT_EQ(serials, expected);
}

}  // namespace
