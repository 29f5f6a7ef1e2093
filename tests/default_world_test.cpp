// With nothing set up, the package reads this machine (through udev; run under umockdev):
// a default-constructed detector lists its ports and hears its plugs, and a machine without
// USB says so once and is heard once a bus appears.
#include <gtest/gtest.h>

#include <chrono>

#include "ztusb/devices/devices.h"
#include "tests/test_support.h"
#include "tests/udev_machine.h"

namespace {

using zt::host::ToUtf8;

std::vector<std::string> PortNames(zt_usb_detector::TZtUsbDetector& detector) {
    zt::host::TStringList list;
    detector.GetAvailableComPorts(list, true);
    std::vector<std::string> names;
    for (const auto& entry : zt::testing::Entries(list)) names.push_back(ToUtf8(entry));
    return names;
}

// Started as umockdev-run -d host_controller -d ft232r: the adapter is there from the start.
TEST(DefaultWorld, PresentDevicesAreListedWithoutSetup) {
    zt_usb_detector::TZtUsbDetector detector;
    EXPECT_EQ(PortNames(detector), std::vector<std::string>{"COM1   /dev/ttyUSB0"});
    ASSERT_EQ(detector.GetAvailableComPortsEx(), 1);
    EXPECT_EQ(detector.ZtComInfo[0].Serial, u"A50285BI");
    const auto devices = zt::devices::UsbDevices();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].location, "1-2");
    EXPECT_EQ(devices[0].ports.at(0).path, "/dev/ttyUSB0");
}

// Started under umockdev-wrapper with an empty testbed: no USB in /sys until the test adds it.
TEST(DefaultWorld, AMachineWithoutUsbWarnsOnceAndHearsABusThatAppears) {
    zt::testing::LogRecorder log(zt::host::LogLevel::Warning);
    zt_usb_detector::TZtUsbDetector detector;
    std::vector<std::string> heard;
    detector.OnComDetect = [&](zt::host::TObject*, const zt::host::String& port, std::int32_t inout) {
        heard.push_back(ToUtf8(port) + " " + std::to_string(inout));
    };
    EXPECT_TRUE(PortNames(detector).empty());
    EXPECT_TRUE(zt::devices::UsbDevices().empty());
    EXPECT_EQ(log.In("device").size(), 1u) << "one warning, however often it is asked";
    zt::testing::UdevMachine machine;
    machine.Load("ft232r");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (heard.empty() && std::chrono::steady_clock::now() < deadline) zt::host::ProcessMessages();
    EXPECT_EQ(heard, std::vector<std::string>{"COM1 1"});
    EXPECT_EQ(PortNames(detector), std::vector<std::string>{"COM1   /dev/ttyUSB0"});
}

}  // namespace
