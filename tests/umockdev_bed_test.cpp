// The testing kit's umockdev testbed, as a host's test uses it: devices plugged in and pulled
// out are heard whole and once, and udev tells of them in the kernel's order.
#include <gtest/gtest.h>
#include <libudev.h>
#include <poll.h>

#include <chrono>
#include <string>
#include <vector>

#include "ztusb/devices/device_watch.h"
#include "ztusb/host/application.h"
#include "ztusb/testkit/umockdev_bed.h"

namespace {

using zt::devices::DeviceEvent;

const std::string kDevices = ZT_UDEV_DEVICES;

std::string Line(const DeviceEvent& event) {
    char ids[16];
    std::snprintf(ids, sizeof ids, "%04x:%04x", event.device.vendorId, event.device.productId);
    const char* kinds[] = {"arrival", "removal", "change"};
    return std::string(kinds[static_cast<int>(event.kind)]) + " " + ids + " " + event.device.serial.value_or("-") + " " +
           std::to_string(event.device.ports.size()) + " port";
}

// The loop's work until `count` events came (or 5 s passed), then a second more for any after.
void PumpUntil(const std::vector<std::string>& events, std::size_t count) {
    const auto pumpFor = [](auto&& more, std::chrono::milliseconds longest) {
        const auto deadline = std::chrono::steady_clock::now() + longest;
        while (more() && std::chrono::steady_clock::now() < deadline) zt::host::ProcessMessages();
    };
    pumpFor([&] { return events.size() < count; }, std::chrono::seconds(5));
    pumpFor([] { return true; }, std::chrono::seconds(1));
}

// Nothing set up but the testbed: the package reads it as this machine.
TEST(UmockdevBed, AnAdapterPluggedInArrivesOnceWholeAndLeavesOnce) {
    zt::testkit::UmockdevBed bed;
    bed.Plug(kDevices + "/host_controller.umockdev");
    std::vector<std::string> events;
    zt::devices::DeviceWatch watch([&](const DeviceEvent& event) { events.push_back(Line(event)); });
    bed.Plug(kDevices + "/ft232r.umockdev");
    PumpUntil(events, 1);
    EXPECT_EQ(events, std::vector<std::string>{"arrival 0403:6001 A50285BI 1 port"});
    bed.Unplug(kDevices + "/ft232r.umockdev");
    PumpUntil(events, 2);
    EXPECT_EQ(events, (std::vector<std::string>{"arrival 0403:6001 A50285BI 1 port", "removal 0403:6001 A50285BI 1 port"}));
    EXPECT_THROW(bed.Unplug(kDevices + "/ft232r.umockdev"), std::invalid_argument);
}

std::vector<std::string> Received(udev_monitor* monitor) {
    std::vector<std::string> events;
    pollfd ready{udev_monitor_get_fd(monitor), POLLIN, 0};
    while (poll(&ready, 1, 500) > 0) {
        udev_device* event = udev_monitor_receive_device(monitor);
        if (event == nullptr) break;
        const std::string path = udev_device_get_devpath(event);
        events.push_back(std::string(udev_device_get_action(event)) + " " + path.substr(path.rfind('/') + 1));
        udev_device_unref(event);
    }
    return events;
}

// A USB device before its interface, the interface before its port; on removal the reverse.
TEST(UmockdevBed, UdevHearsParentsArriveFirstAndLeaveLast) {
    zt::testkit::UmockdevBed bed;
    bed.Plug(kDevices + "/host_controller.umockdev");
    udev* context = udev_new();
    udev_monitor* monitor = udev_monitor_new_from_netlink(context, "udev");
    ASSERT_EQ(udev_monitor_enable_receiving(monitor), 0);
    bed.Plug(kDevices + "/ft232r.umockdev");
    EXPECT_EQ(Received(monitor), (std::vector<std::string>{"add 1-2", "add 1-2:1.0", "add ttyUSB0", "add ttyUSB0"}));
    bed.Unplug(kDevices + "/ft232r.umockdev");
    EXPECT_EQ(Received(monitor), (std::vector<std::string>{"remove ttyUSB0", "remove ttyUSB0", "remove 1-2:1.0", "remove 1-2"}));
    udev_monitor_unref(monitor);
    udev_unref(context);
}

}  // namespace
