// End to end on the simulated workstation: plug a device, let the message loop run, and see
// what the host sees; unplug it again.
#include <gtest/gtest.h>

#include "ztusb/host/window_binding.h"
#include "ztusb/sim/workstation.h"
#include "tests/test_support.h"

namespace {

using zt::host::String;
using zt::testing::DialogRecorder;
using zt::testing::PumpRequests;
using zt::testing::RecordEvents;
using zt::testing::WmiServed;
using zt_usb_detector::TZtComInfo;
using zt_usb_detector::TZtUsbDetector;

std::string Describe(const TZtComInfo& r) {
    return zt::host::ToUtf8(r.sPort + u"|" + r.PortType + u"|" + r.VID + u"|" + r.PID + u"|" +
                            r.Serial + u"|" + r.Manufacturer + u"|" + r.Chip) +
           "|" + std::to_string(r.iPort);
}

class SerialDevices : public ::testing::Test {
protected:
    SerialDevices() : served(station.WmiBackend()) {
        RecordEvents(detector, events);
        detector.OnNewComInfo = [this](zt::host::TObject*, std::vector<TZtComInfo> records,
                                       std::int32_t count) {
            std::string line = "info " + std::to_string(count);
            for (const auto& r : records) line += " [" + Describe(r) + "]";
            events.push_back(line);
        };
    }

    DialogRecorder dialogs;
    zt::sim::Workstation station;
    WmiServed served;
    TZtUsbDetector detector;
    std::vector<std::string> events;
};

TEST_F(SerialDevices, FtdiAdapterComesWithItsDetailsAndGoes) {
    const auto ftdi = zt::sim::FtdiAdapter(u"FT12AB34", u"COM5");
    station.Plug(ftdi);
    EXPECT_EQ(PumpRequests(), std::vector<std::string>{"DoNewComInfo:COM5"});
    EXPECT_EQ(events, (std::vector<std::string>{
                          "usb FT12AB34 VID_0403 PID_6001 1",
                          "com COM5 1",
                          "info 1 [COM5|USB Serial Port|VID_0403|PID_6001|FT12AB34|FTDI|FT232R|5]",
                      }));
    ASSERT_EQ(detector.Ft232Rcount, 1);
    EXPECT_EQ(detector.Ft232RList[0].sPort, u"COM5");

    events.clear();
    station.Unplug(ftdi);
    EXPECT_TRUE(PumpRequests().empty());
    EXPECT_EQ(events, (std::vector<std::string>{"com COM5 0", "usb FT12AB34 VID_0403 PID_6001 0"}));
    EXPECT_EQ(detector.Ft232Rcount, 0);
    EXPECT_EQ(detector.ArrivalNames().Count(), 0);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SerialDevices, Ch340AdapterIsTiedToItsInstance) {
    const auto ch340 = zt::sim::Ch340Adapter(u"5&2D6E3B1&0&2", u"COM6");
    station.Plug(ch340);
    PumpRequests();
    EXPECT_EQ(events, (std::vector<std::string>{
                          "usb 5&2D6E3B1&0&2 VID_1A86 PID_7523 1",
                          "com COM6 1",
                          "info 1 [COM6|USB-SERIAL CH340|VID_1A86|PID_7523|5&2D6E3B1&0&2|wch.cn||6]",
                      }));
    station.Unplug(ch340);
    EXPECT_EQ(detector.ArrivalNames().Count(), 0);
}

TEST_F(SerialDevices, BluetoothLinkAndBuiltInPortBringNoDetails) {
    station.Attach(zt::sim::BuiltInPort(u"COM1"));
    const auto link = zt::sim::BluetoothLink(u"7&1B2C3D4E&0&000000000000_00000000", u"COM8");
    station.Plug(link);
    EXPECT_TRUE(PumpRequests().empty()) << "no USB device arrived, so nothing to ask";
    station.Unplug(link);
    EXPECT_EQ(events, (std::vector<std::string>{"com COM8 1", "com COM8 0"}));
}

TEST_F(SerialDevices, UsbaspProgrammersAreNamedOnArrivalAndByTheCheck) {
    const auto maker = zt::sim::UsbaspProgrammer(u"www.vlx.example");
    const auto clone = zt::sim::UsbaspProgrammer(u"0001");
    station.Plug(clone);
    detector.CheckUSBasp();
    station.Plug(maker);
    detector.CheckUSBasp();
    station.Unplug(maker);
    station.Unplug(clone);
    detector.CheckUSBasp();
    EXPECT_EQ(events, (std::vector<std::string>{
                          "usb USBasp clone VID_16C0 PID_05DC 1",
                          "usb USBasp clone VID_16C0 PID_05DC 1",
                          "usb VLX-USBASP VID_16C0 PID_05DC 1",
                          "usb VLX-USBASP VID_16C0 PID_05DC 1",
                          "usb VLX-USBASP VID_16C0 PID_05DC 0",
                          "usb USBasp clone VID_16C0 PID_05DC 0",
                      }));
    EXPECT_EQ(detector.ArrivalNames().Count(), 0);
}

TEST_F(SerialDevices, UsbaspCheckReadsAnyEntityTextInAnyCase) {
    WmiServed fixed(zt::testing::FixedObjects(
        {u"\ninstance of Win32_PnPEntity\n{\n\tCaption = \"usbasp\";\n"
         u"\tDeviceID = \"USB\\\\VID_1234&PID_0001\\\\Www.Vlx.Example\";\n};\n"}));
    detector.CheckUSBasp();
    detector.OnUsbDetect = [](zt::host::TObject*, const String&, const String&, const String&,
                              std::int32_t) { throw std::runtime_error("host bug"); };
    detector.CheckUSBasp();  // the handler's failure goes to the host's handler, as for every event
    EXPECT_EQ(events, std::vector<std::string>{"usb VLX-USBASP VID_16C0 PID_05DC 1"});
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.failures.size(), 1u);
}

}  // namespace
