// The request road: posted by a broadcast, delivered by the message loop, routed by text.
#include <gtest/gtest.h>

#include <functional>

#include "ztusb/host/heap_strings.h"
#include "tests/test_support.h"
#include "ztusb/win32/windows_names.h"

namespace {

using zt::host::String;
using zt::testing::Broadcast;
using zt::testing::DialogRecorder;
using zt::testing::PumpRequests;
using zt::testing::UsbInterface;
using zt_usb_detector::TZtUsbDetector;
using zt_usb_detector::WM_DETECTOR_REQUEST;

constexpr std::uint32_t kArrival = DBT_DEVICEARRIVAL;

// The detector's hidden window: the only one these tests make.
zt::win32::HWND OnlyWindow() {
    const auto windows = zt::testing::BoundWindows();
    EXPECT_EQ(windows.size(), 1u);
    return windows.empty() ? nullptr : windows.front();
}

class Requests : public ::testing::Test {
protected:
    ~Requests() override { PumpRequests(); }

    // Posts a request text the way the decoder would, but from outside the component.
    void Send(const char* text) {
        ASSERT_TRUE(zt::win32::PostMessageW(OnlyWindow(), WM_DETECTOR_REQUEST,
                                            reinterpret_cast<zt::win32::WPARAM>(text), 0));
        PumpRequests();
    }

    DialogRecorder dialogs;
    TZtUsbDetector detector;
};

TEST_F(Requests, AreDeliveredAfterTheBroadcastInHandAndInPostingOrder) {
    bool queuedDuringEvent = true;
    detector.OnComDetect = [&](zt::host::TObject*, const String& port, std::int32_t) {
        zt::win32::MSG waiting{};
        if (port == u"COM5") {
            queuedDuringEvent = zt::win32::PeekMessageW(&waiting, nullptr, 0, 0, PM_NOREMOVE);
        }
    };
    Broadcast(kArrival, UsbInterface(u"USB#VID_0403&PID_6001#FT1#{x}"));
    Broadcast(kArrival, zt::world::PortRecord(u"COM5"));
    Broadcast(kArrival, zt::world::VolumeRecord(0x10));
    Broadcast(kArrival, zt::world::PortRecord(u"COM6"));
    EXPECT_FALSE(queuedDuringEvent);
    EXPECT_EQ(PumpRequests(), (std::vector<std::string>{"DoNewComInfo:COM5", "DoNewVolInfo:FT1",
                                                        "DoNewComInfo:COM6"}));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Requests, ForeignMessagesWithTheSameNumberAreNotReadOrFreed) {
    char foreign[] = "DoNewComInfo";  // would report a failure if it were read
    Send(foreign);
    Send(nullptr);
    EXPECT_STREQ(foreign, "DoNewComInfo");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Requests, QueuedRequestsAreFreedWithTheComponent) {
    {
        TZtUsbDetector second;
        Broadcast(kArrival, UsbInterface(u"USB#VID_0781&PID_5567#STICK#{x}"));
        Broadcast(kArrival, zt::world::VolumeRecord(0x10));
    }
    // Both detectors posted; the second one's requests went with its window.
    EXPECT_EQ(PumpRequests(), std::vector<std::string>{"DoNewVolInfo:STICK"});
}

}  // namespace

namespace {

// A burst of arrivals: the second port's request comes while the first port's inquiry pumps
// between its queries. It waits for that inquiry instead of running inside it, so a long
// burst never nests inquiries deeper and deeper into the stack, and none is lost.
TEST_F(Requests, RequestsDeliveredDuringAnInquiryRunAfterIt) {
    std::vector<String> queries;
    const String otherPort = u"\ninstance of Win32_PnPEntity\n{\n\tCaption = \"Other (COM99)\";\n};\n";
    zt::testing::WmiServed served([&](const String& query) {
        queries.push_back(query);
        return std::optional(std::vector<String>{otherPort});
    });
    Broadcast(kArrival, UsbInterface(u"\\\\?\\USB#VID_0403&PID_6001#FIRST#{x}"));
    Broadcast(kArrival, UsbInterface(u"\\\\?\\USB#VID_0403&PID_6001#SECOND#{x}"));
    Broadcast(kArrival, zt::world::PortRecord(u"COM5"));
    Broadcast(kArrival, zt::world::PortRecord(u"COM6"));
    PumpRequests();
    std::vector<std::string> ports;
    for (const String& query : queries) ports.push_back(zt::host::Contains(query, u"COM5") ? "COM5" : "COM6");
    EXPECT_EQ(ports, (std::vector<std::string>{"COM5", "COM5", "COM6", "COM6"}));
}

}  // namespace

namespace {

// An inventory the host calls may pump while WMI answers (an outgoing COM call does on
// Windows): a request delivered then waits for the inventory, as it waits for the
// component's own inquiries, instead of running inside it.
TEST_F(Requests, RequestsDeliveredDuringAnInventoryRunAfterIt) {
    struct Row {
        const char* inventory;
        std::function<void(TZtUsbDetector&)> call;
    };
    const Row rows[] = {
        {"COM ports", [](TZtUsbDetector& d) { d.GetAvailableComPortsEx(); }},
        {"volumes", [](TZtUsbDetector& d) { d.GetAvailableVolumens(); }},
        {"USBasp", [](TZtUsbDetector& d) { d.CheckUSBasp(); }},
    };
    for (const Row& row : rows) {
        std::vector<std::string> order;
        bool pumped = false;
        zt::testing::WmiServed served([&](const String& query) {
            const bool request = zt::host::Contains(query, u"Caption,Description");
            order.push_back(request ? "request asks" : "inventory asks");
            if (!request && !pumped) {
                pumped = true;
                PumpRequests();
                order.push_back("inventory answered");
            }
            return std::optional(std::vector<String>{});
        });
        Broadcast(kArrival, UsbInterface(u"USB#VID_0403&PID_6001#FT1#{x}"));
        Broadcast(kArrival, zt::world::PortRecord(u"COM5"));
        row.call(detector);
        EXPECT_EQ(order, (std::vector<std::string>{"inventory asks", "inventory answered", "request asks"}))
            << row.inventory;
        Broadcast(DBT_DEVICEREMOVECOMPLETE, UsbInterface(u"USB#VID_0403&PID_6001#FT1#{x}"));
    }
}

}  // namespace
