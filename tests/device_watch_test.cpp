// Device events and waits on the simulated world: a device arrives once, whole, with the
// faces it settles into; it leaves once with the faces it had; a face that comes later is a
// change; a wait finds what is there at once, waits for what comes, and gives up in time.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "ztusb/devices/device_watch.h"
#include "ztusb/devices/world_in_use.h"
#include "ztusb/host/application.h"
#include "ztusb/host/window_binding.h"
#include "ztusb/sim/boards.h"
#include "ztusb/sim/workstation.h"
#include "ztusb/win32/windows_names.h"
#include "tests/device_lines.h"

namespace {

using zt::devices::DeviceEvent;
using zt::host::String;
using Clock = std::chrono::steady_clock;

zt::sim::Volume Fat(const String& letter) { return {letter, u"FAT32", 1 << 24, 1 << 23, u"L", u"1A2B3C4D"}; }

const char* KindOf(DeviceEvent::Kind kind) {
    switch (kind) {
        case DeviceEvent::Kind::Arrival: return "arrival";
        case DeviceEvent::Kind::Removal: return "removal";
        case DeviceEvent::Kind::Change: return "change";
    }
    return "?";
}

class DeviceEvents : public ::testing::Test {
protected:
    DeviceEvents()
        : world(station), watch([this](const DeviceEvent& e) { events.push_back(std::string(KindOf(e.kind)) + " " + zt::testing::DeviceLine(e.device)); }) {}

    // Runs the loop until `count` events came, or the time is over; then a little longer, for
    // events that should not come.
    void PumpUntil(std::size_t count, std::chrono::milliseconds longest = std::chrono::seconds(5)) {
        const auto deadline = Clock::now() + longest;
        while (events.size() < count && Clock::now() < deadline) zt::host::ProcessMessages();
        const auto quiet = Clock::now() + std::chrono::milliseconds(400);
        while (Clock::now() < quiet) zt::host::ProcessMessages();
    }

    zt::sim::Workstation station;
    zt::devices::WorldInUse world;
    std::vector<std::string> events;
    zt::devices::DeviceWatch watch;
};

TEST_F(DeviceEvents, AStickArrivesOnceWithBothVolumesAndLeavesWithThem) {
    const auto stick = zt::sim::UsbStick(u"4C530001", 1, {Fat(u"E:"), Fat(u"F:")});
    station.Plug(stick, u"1-2");
    PumpUntil(1);
    const std::string line = "0781:5567 4C530001 4C530001 @1-2 | disk 0 SanDisk Cruzer Blade USB Device | E: lun0 FAT32 L | F: lun0 FAT32 L";
    EXPECT_EQ(events, std::vector<std::string>{"arrival " + line});
    events.clear();
    station.Unplug(stick);
    PumpUntil(1);
    EXPECT_EQ(events, std::vector<std::string>{"removal " + line});
}

TEST_F(DeviceEvents, ABoardArrivesOnceWithItsPortAndItsDrive) {
    station.Plug(zt::sim::Board(zt::sim::BoardKind::StLinkV21, u"066CFF51", {u"COM7"}, 1, {{Fat(u"E:")}}), u"1-5");
    PumpUntil(1);
    EXPECT_EQ(events, std::vector<std::string>{
                          "arrival 0483:374b 066CFF51 066CFF51 @1-5 | COM7 if2 | disk 0 MBED microcontroller USB Device | E: "
                          "lun0 FAT32 L"});
}

// A hub of sixteen adapters comes in one burst: one arrival each, the hub's included.
TEST_F(DeviceEvents, AHubOfSixteenIsSeventeenArrivals) {
    station.Plug(zt::sim::UsbHub(u"5&1a2b3c4d&0&3"), u"1-3");
    for (int i = 1; i <= 16; ++i) {
        const String n = zt::host::FromAnsi(std::to_string(i));
        station.Plug(zt::sim::FtdiAdapter(u"HUB" + n, u"COM" + n), u"1-3." + n);
    }
    PumpUntil(17);
    ASSERT_EQ(events.size(), 17u);
    EXPECT_EQ(events[0], "arrival 05e3:0610 - 5&1A2B3C4D&0&3 @1-3 (hub)");
    EXPECT_EQ(events[16], "arrival 0403:6001 HUB16 HUB16 @1-3.16 hub 1-3 | COM16 A");
}

// A reader without cards is announced once its hold passed; a card is a change of it.
TEST_F(DeviceEvents, ACardInsertedLaterIsAChangeOfTheReader) {
    station.Plug(zt::sim::CardReader(u"058F6366", 3, {}, 2), u"1-4");
    PumpUntil(1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_TRUE(events[0].starts_with("arrival 058f:6366")) << events[0];
    events.clear();
    station.Unplug(zt::sim::CardReader(u"058F6366", 3, {}, 2));
    station.Attach(zt::sim::CardReader(u"058F6366", 3, {{Fat(u"H:")}}, 2), u"1-4");
    zt::world::BroadcastDeviceChange(DBT_DEVICEARRIVAL, zt::world::VolumeRecord(1u << ('H' - 'A')));
    PumpUntil(1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_TRUE(events[0].starts_with("change 058f:6366") && events[0].ends_with("| H: lun0 FAT32 L")) << events[0];
}

// Calls `plug` from the loop `after` the wait began.
class LaterPlug {
public:
    LaterPlug(std::chrono::milliseconds after, std::function<void()> plug)
        : window_(zt::host::AllocateHWnd([this](zt::host::TMessage& m) {
              if (m.Msg != WM_TIMER) return;
              zt::win32::KillTimer(window_, 7);
              plug_();
          })),
          plug_(std::move(plug)) {
        zt::win32::SetTimer(window_, 7, static_cast<zt::win32::UINT>(after.count()), nullptr);
    }
    ~LaterPlug() {
        zt::win32::KillTimer(window_, 7);
        zt::host::FreeObjectInstance(window_);
        zt::win32::DestroyWindow(window_);
    }

private:
    zt::win32::HWND window_;
    std::function<void()> plug_;
};

TEST(DeviceWaits, PresentArrivingTimingOutAndByLocationAmongTwins) {
    zt::sim::Workstation station;
    const zt::devices::WorldInUse world(station);
    station.Attach(zt::sim::Ch340Adapter(u"6&2bd4e1a9&0&1", u"COM3"), u"1-1");
    zt::devices::DeviceMatch ch340{.vendorId = 0x1A86, .productId = 0x7523, .serial = {}, .location = {}, .predicate = {}, .index = 0};
    const auto started = Clock::now();
    const auto present = zt::devices::WaitFor(ch340, std::chrono::seconds(5));
    ASSERT_TRUE(present.has_value());
    EXPECT_EQ(present->ports.at(0).name, "COM3");
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(1)) << "a present device matches at once";

    // The twin arrives later, on the next port: the second among equals, or by its location.
    const LaterPlug twin(std::chrono::milliseconds(100), [&] { station.Plug(zt::sim::Ch340Adapter(u"6&2bd4e1a9&0&2", u"COM4"), u"1-2"); });
    zt::devices::DeviceMatch second = ch340;
    second.index = 1;
    const auto arrived = zt::devices::WaitFor(second, std::chrono::seconds(5));
    ASSERT_TRUE(arrived.has_value());
    EXPECT_EQ(arrived->location, "1-2");
    zt::devices::DeviceMatch atPort{.vendorId = {}, .productId = {}, .serial = {}, .location = "1-2", .predicate = {}, .index = 0};
    EXPECT_EQ(zt::devices::WaitFor(atPort, std::chrono::seconds(1))->ports.at(0).name, "COM4");

    const auto before = Clock::now();
    zt::devices::DeviceMatch absent{.vendorId = {}, .productId = {}, .serial = "NO-SUCH", .location = {}, .predicate = {}, .index = 0};
    EXPECT_FALSE(zt::devices::WaitFor(absent, std::chrono::milliseconds(300)).has_value());
    const auto waited = Clock::now() - before;
    EXPECT_GE(waited, std::chrono::milliseconds(300));
    EXPECT_LT(waited, std::chrono::seconds(2));
}

}  // namespace
