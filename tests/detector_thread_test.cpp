// The component on a thread of its own: events reach the host in order from that thread,
// inquiries asked from other threads return what the component finds there, and the thread
// stops cleanly whenever it is stopped, from outside or from inside a handler.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <thread>

#include "tests/test_support.h"
#include "ztusb/devices/detector_thread.h"
#include "ztusb/devices/world_in_use.h"
#include "ztusb/sim/workstation.h"
#include "ztusb/win32/windows_names.h"

namespace {

using namespace std::chrono_literals;
using zt::host::ToUtf8;
using zt_usb_detector::TZtDetectorEvent;
using zt_usb_detector::TZtUsbDetector;
using zt_usb_detector::TZtUsbDetectorThread;
namespace win32 = zt::win32;

const std::u16string kFtdiSerial = u"A50285BI";

// A workstation on the component's thread, and a window there through which the test has
// it plug devices: posting WM_APP runs the script on that thread.
class StationOnThread {
public:
    using Script = std::function<void(zt::sim::Workstation&)>;
    explicit StationOnThread(Script script)
        : served_(station_),
          script_(std::move(script)),
          trigger_(zt::host::AllocateHWnd([this](zt::host::TMessage& message) {
              if (message.Msg == WM_APP) script_(station_);
          })) {
        station_.Attach(zt::sim::BuiltInPort(u"COM1"));
    }
    ~StationOnThread() {
        zt::host::FreeObjectInstance(trigger_);
        win32::DestroyWindow(trigger_);
    }
    StationOnThread(const StationOnThread&) = delete;
    StationOnThread& operator=(const StationOnThread&) = delete;

    zt::sim::Workstation& Station() { return station_; }
    win32::HWND Trigger() const { return trigger_; }
    // Runs on the component's thread, after the component and after every member of the
    // station, the WMI backend it served among them: the test may end the process then.
    void OnRelease(std::function<void()> told) { released_.told = std::move(told); }

private:
    struct Released {
        std::function<void()> told;
        ~Released() {
            if (told) told();
        }
    };
    Released released_;  // first, so that it goes last
    zt::sim::Workstation station_;
    zt::devices::WorldInUse served_;
    Script script_;
    win32::HWND trigger_;
};

std::string Describe(const TZtDetectorEvent& event) {
    using Kind = TZtDetectorEvent::TKind;
    const std::string inout = std::to_string(event.InOut);
    switch (event.Kind) {
        case Kind::ComDetect: return "com " + ToUtf8(event.Name) + " " + inout;
        case Kind::VolumeDetect: return "volume " + ToUtf8(event.Name) + " " + inout;
        case Kind::UsbDetect: return "usb " + ToUtf8(event.Name + u" " + event.Vid + u" " + event.Pid) + " " + inout;
        case Kind::NewComInfo: {
            std::string text = "info";
            for (const auto& port : event.ComInfo) text += " " + ToUtf8(port.sPort + u"/" + port.Serial);
            return text;
        }
        case Kind::NewVolInfo: {
            std::string text = "volinfo";
            for (const auto& volume : event.VolInfo) text += " " + ToUtf8(volume.DeviceID);
            return text;
        }
    }
    return "?";
}

// The queued events' descriptions, until `count` came (or two seconds passed).
std::vector<std::string> Take(TZtUsbDetectorThread& thread, std::size_t count) {
    std::vector<std::string> taken;
    while (taken.size() < count) {
        const auto event = thread.WaitEvent(2s);
        if (!event) break;
        taken.push_back(Describe(*event));
    }
    return taken;
}

void PlugAdapter(zt::sim::Workstation& station) { station.Plug(zt::sim::FtdiAdapter(kFtdiSerial, u"COM5")); }

class DetectorThread : public ::testing::Test {
protected:
    // Starts the component's thread with a workstation whose script the test triggers.
    std::unique_ptr<TZtUsbDetectorThread> Start(StationOnThread::Script script,
                                                std::function<void(TZtUsbDetector&, StationOnThread&)> more = {}) {
        return std::make_unique<TZtUsbDetectorThread>([this, script, more](TZtUsbDetector& detector) {
            auto station = std::make_shared<StationOnThread>(script);
            trigger = station->Trigger();
            componentThread = std::this_thread::get_id();
            if (more) more(detector, *station);
            return station;
        });
    }
    void Trigger() const { ASSERT_TRUE(win32::PostMessageW(trigger, WM_APP, 0, 0)); }

    zt::testing::DialogRecorder dialogs;
    win32::HWND trigger = nullptr;
    std::thread::id componentThread;
};

TEST_F(DetectorThread, EventsReachTheHostInOrderFromTheComponentsThread) {
    std::vector<std::thread::id> handlerThreads;
    auto thread = Start(PlugAdapter, [&](TZtUsbDetector& detector, StationOnThread&) {
        detector.OnVolumeDetect = [&](zt::host::TObject*, const zt::host::String&, std::int32_t) {
            handlerThreads.push_back(std::this_thread::get_id());
        };
    });
    Trigger();
    EXPECT_EQ(Take(*thread, 3), (std::vector<std::string>{"usb A50285BI VID_0403 PID_6001 1", "com COM5 1",
                                                          "info COM5/A50285BI"}));
    EXPECT_NE(componentThread, std::this_thread::get_id());
    thread.reset();
    EXPECT_TRUE(handlerThreads.empty());  // a stick was never plugged
    EXPECT_TRUE(dialogs.messages.empty());
}

// The devices' own events come queued apart, whole; a wait on another thread is served by
// the component's thread's readings, and so is the device inquiry.
TEST_F(DetectorThread, DeviceEventsAndWaitsFromAnotherThread) {
    auto thread = Start(PlugAdapter);
    const zt::devices::DeviceMatch ftdi{.vendorId = 0x0403, .productId = {}, .serial = {}, .location = {}, .predicate = {}, .index = 0};
    EXPECT_FALSE(thread->WaitDevice(ftdi, 100ms).has_value());
    Trigger();
    const auto arrived = thread->WaitDevice(ftdi, 5s);
    ASSERT_TRUE(arrived.has_value());
    EXPECT_EQ(arrived->ports.at(0).name, "COM5");
    const auto event = thread->WaitDeviceEvent(5s);
    ASSERT_TRUE(event.has_value());
    EXPECT_EQ(event->kind, zt::devices::DeviceEvent::Kind::Arrival);
    EXPECT_EQ(event->device, *arrived);
    const auto devices = thread->UsbDevices();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].serial, std::optional<std::string>("A50285BI"));
    EXPECT_FALSE(thread->WaitDeviceEvent(300ms).has_value()) << "one arrival, nothing more";
}

TEST_F(DetectorThread, AHandlerAssignedInTheSetupRunsOnTheComponentsThread) {
    std::promise<std::thread::id> ran;
    auto thread = Start(PlugAdapter, [&](TZtUsbDetector& detector, StationOnThread&) {
        detector.OnComDetect = [&](zt::host::TObject*, const zt::host::String&, std::int32_t) {
            ran.set_value(std::this_thread::get_id());
        };
    });
    Trigger();
    auto handled = ran.get_future();
    ASSERT_EQ(handled.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(handled.get(), componentThread);
    // What it handled is not queued as well.
    EXPECT_EQ(Take(*thread, 2), (std::vector<std::string>{"usb A50285BI VID_0403 PID_6001 1", "info COM5/A50285BI"}));
}

// Asked from another thread, each inquiry returns what a component on the test's own thread
// finds in the same world.
TEST_F(DetectorThread, AnInquiryFromAnotherThreadReturnsWhatTheComponentFinds) {
    auto thread = Start([](zt::sim::Workstation&) {}, [](TZtUsbDetector&, StationOnThread& station) {
        station.Station().Attach(zt::sim::FtdiAdapter(kFtdiSerial, u"COM5"));
        station.Station().Attach(zt::sim::UsbStick(u"4C530001", 1, {{u"E:", u"FAT32", 1000, 500, u"STICK", u"1A2B3C4D"}}));
    });
    std::vector<zt_usb_detector::TZtComInfo> ports;
    std::vector<zt_usb_detector::TZtVolInfo> volumes;
    zt::host::TStringList names;
    std::thread asking([&] {
        ports = thread->GetAvailableComPortsEx();
        volumes = thread->GetAvailableVolumens();
        thread->GetAvailableComPorts(names, true);
    });
    asking.join();
    TZtUsbDetector here;
    const std::int32_t portCount = here.GetAvailableComPortsEx();
    ASSERT_EQ(ports.size(), static_cast<std::size_t>(portCount));
    for (std::size_t i = 0; i < ports.size(); ++i) {
        EXPECT_EQ(ports[i].sPort, here.ZtComInfo[i].sPort);
        EXPECT_EQ(ports[i].Serial, here.ZtComInfo[i].Serial);
    }
    EXPECT_EQ(portCount, 2);
    ASSERT_EQ(volumes.size(), static_cast<std::size_t>(here.GetAvailableVolumens()));
    ASSERT_EQ(volumes.size(), 1u);
    EXPECT_EQ(volumes[0].VolName, u"STICK");
    zt::host::TStringList namesHere;
    here.GetAvailableComPorts(namesHere, true);
    EXPECT_EQ(zt::testing::Entries(names), zt::testing::Entries(namesHere));
}

// The inquiry in hand is answered, then the thread ends; later inquiries are refused.
TEST_F(DetectorThread, StopDuringAnInquiryAnswersItFirst) {
    std::promise<void> entered;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    auto thread = Start([](zt::sim::Workstation&) {}, [&](TZtUsbDetector&, StationOnThread& station) {
        station.Station().Attach(zt::sim::FtdiAdapter(kFtdiSerial, u"COM5"));
        ZtWmiU::SetWmiBackend([&, backend = station.Station().WmiBackend(), first = true](const zt::host::String& query) mutable {
            if (std::exchange(first, false)) {
                entered.set_value();
                released.wait();
            }
            return backend(query);
        });
    });
    std::future<std::size_t> asked = std::async(std::launch::async, [&] { return thread->GetAvailableComPortsEx().size(); });
    entered.get_future().wait();
    std::thread stopping([&] { thread->Stop(); });
    std::this_thread::sleep_for(20ms);
    release.set_value();
    EXPECT_EQ(asked.get(), 2u);
    stopping.join();
    EXPECT_THROW(thread->GetAvailableVolumens(), std::runtime_error);
    EXPECT_FALSE(thread->WaitEvent(0ms));  // a stopped thread answers at once
}

TEST_F(DetectorThread, StopDuringABurstOfBroadcasts) {
    auto thread = Start([](zt::sim::Workstation& station) {
        for (int i = 0; i < 200; ++i) {
            const auto adapter = zt::sim::FtdiAdapter(u"BURST" + zt::host::FromAnsi(std::to_string(i)), u"COM7");
            station.Plug(adapter);
            station.Unplug(adapter);
        }
    });
    Trigger();
    const auto first = thread->WaitEvent(2s);
    ASSERT_TRUE(first);
    EXPECT_EQ(Describe(*first), "usb BURST0 VID_0403 PID_6001 1");
    thread->Stop();
    while (thread->WaitEvent(0ms)) {}  // what came before the stop, and then nothing
    EXPECT_THROW(thread->CheckUSBasp(), std::runtime_error);
}

// Nothing is left: not the thread's queue, the component's window or its subscription.
TEST_F(DetectorThread, StartAndStopAHundredTimes) {
    for (int round = 0; round < 100; ++round) {
        win32::DWORD threadId = 0;
        std::vector<win32::HWND> windows;
        TZtUsbDetectorThread([&](TZtUsbDetector&) {
            threadId = win32::GetCurrentThreadId();
            windows = zt::testing::BoundWindows();
            return nullptr;
        });
        ASSERT_EQ(windows.size(), 1u);
        ASSERT_FALSE(win32::IsWindow(windows[0])) << "round " << round;
        ASSERT_FALSE(win32::IsSubscribedToDeviceInterface(windows[0], zt_usb_detector::GUID_DEVINTERFACE_USB_DEVICE));
        ASSERT_FALSE(win32::PostThreadMessageW(threadId, WM_APP, 0, 0));
    }
}

// Stopped or destroyed from its own handler, the thread does not wait for itself: the
// handler returns, the rest of the message is done, and the thread ends by itself.
TEST_F(DetectorThread, AHandlerThatStopsItsThreadDoesNotDeadlock) {
    for (const bool destroy : {false, true}) {
        std::unique_ptr<TZtUsbDetectorThread> thread;
        // Shared: the thread may still be inside set_value when the test goes on.
        const auto released = std::make_shared<std::promise<void>>();
        std::atomic<int> comEvents{0};
        thread = Start(PlugAdapter, [&](TZtUsbDetector& detector, StationOnThread& station) {
            station.OnRelease([released] { released->set_value(); });
            detector.OnComDetect = [&](zt::host::TObject*, const zt::host::String&, std::int32_t) {
                ++comEvents;
                if (destroy) {
                    thread.reset();
                } else {
                    thread->Stop();
                }
            };
        });
        Trigger();
        ASSERT_EQ(released->get_future().wait_for(5s), std::future_status::ready) << "destroy " << destroy;
        EXPECT_EQ(comEvents, 1);
        if (!destroy) {
            EXPECT_THROW(thread->GetAvailableComPortsEx(), std::runtime_error);
        }
    }
}

}  // namespace
