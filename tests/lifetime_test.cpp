// The host may free the detector whenever the host's own code runs inside the detector's
// work: in an event handler, in a message that one of the detector's pumps dispatches, in a
// message box. Afterwards nothing of the detector may be touched (the sanitizers and the
// closures below would notice), and what the detector was doing simply ends.
#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "host/window_binding.h"
#include "sim/workstation.h"
#include "tests/test_support.h"

namespace {

using zt::host::String;
using zt::testing::BoundWindows;
using zt::testing::DialogRecorder;
using zt::testing::FixedObjects;
using zt::testing::PumpRequests;
using zt::testing::UsbInterface;
using zt::testing::WmiServed;
using zt_usb_detector::TZtUsbDetector;
namespace win32 = zt::win32;
namespace sim = zt::sim;

constexpr std::uint32_t kArrival = DBT_DEVICEARRIVAL;
constexpr std::uint32_t kRemoval = DBT_DEVICEREMOVECOMPLETE;
constexpr win32::UINT kFreeDetector = WM_APP + 1;

const String kOther = u"USB#VID_1234&PID_0001#OTHER#{x}";

// A host with a detector on the heap, its own window, and a way to free the detector from
// anywhere. Every action the host takes after freeing runs through a closure that the
// detector handed it, so a closure freed with the detector is noticed too.
class HostFreesDetector : public ::testing::Test {
protected:
    HostFreesDetector()
        : windowsBefore(BoundWindows().size()),
          served(station.WmiBackend()),
          hostWindow(zt::host::AllocateHWnd([this](zt::host::TMessage& message) {
              if (message.Msg == kFreeDetector) Free();
          })) {}

    ~HostFreesDetector() override {
        delete detector;
        zt::host::FreeObjectInstance(hostWindow);
        win32::DestroyWindow(hostWindow);
    }

    void Free() {
        delete std::exchange(detector, nullptr);
        ++freed;
    }

    // A handler that frees the detector and then goes on with its own captures.
    std::function<void()> FreeingHandler() {
        return [this] {
            Free();
            ++handlerFinished;
        };
    }

    void PostFree() { win32::PostMessageW(hostWindow, kFreeDetector, 0, 0); }

    // The detector went once, took its window with it, and nothing ran after it.
    void ExpectGoneQuietly() {
        PumpRequests();
        EXPECT_EQ(freed, 1);
        EXPECT_EQ(BoundWindows().size(), windowsBefore + 1);  // the host's own window only
        EXPECT_EQ(dialogs.messages, std::vector<std::string>{});
        EXPECT_TRUE(dialogs.failures.empty());
    }

    const std::size_t windowsBefore;
    DialogRecorder dialogs;
    sim::Workstation station;
    WmiServed served;
    const win32::HWND hostWindow;
    TZtUsbDetector* detector = new TZtUsbDetector;
    int freed = 0;
    int handlerFinished = 0;
};

// Which handler frees the detector, and what the world does to make it run.
struct HandlerCase {
    const char* name;
    void (*arm)(TZtUsbDetector& detector, std::function<void()> handler);
    void (*happen)(sim::Workstation& station);
};

template <typename Event>
void Arm(Event& event, std::function<void()> handler) {
    event = [handler](auto&&...) { handler(); };
}

void BroadcastOther(std::uint32_t event) {
    sim::BroadcastDeviceChange(event, UsbInterface(kOther));
}

const HandlerCase kHandlerCases[] = {
    {"usb arrival", [](TZtUsbDetector& d, std::function<void()> h) { Arm(d.OnUsbDetect, h); },
     [](sim::Workstation&) { BroadcastOther(kArrival); }},
    {"usb removal", [](TZtUsbDetector& d, std::function<void()> h) { Arm(d.OnUsbDetect, h); },
     [](sim::Workstation&) { BroadcastOther(kRemoval); }},
    {"port arrival with a listed device",
     [](TZtUsbDetector& d, std::function<void()> h) { Arm(d.OnComDetect, h); },
     [](sim::Workstation& s) { s.Plug(sim::FtdiAdapter(u"FT1", u"COM5")); }},
    {"volume arrival with a listed device",
     [](TZtUsbDetector& d, std::function<void()> h) { Arm(d.OnVolumeDetect, h); },
     [](sim::Workstation& s) {
         s.Plug(sim::UsbStick(u"STICK1", 1, {{u"E:", u"FAT32", 100, 50, u"S", u"1"}}));
     }},
    {"new port details", [](TZtUsbDetector& d, std::function<void()> h) { Arm(d.OnNewComInfo, h); },
     [](sim::Workstation& s) { s.Plug(sim::FtdiAdapter(u"FT2", u"COM6")); }},
    {"new volume details", [](TZtUsbDetector& d, std::function<void()> h) { Arm(d.OnNewVolInfo, h); },
     [](sim::Workstation& s) {
         s.Plug(sim::UsbStick(u"STICK2", 2, {{u"F:", u"FAT32", 100, 50, u"S", u"2"}}));
     }},
};

TEST_F(HostFreesDetector, InEachEventHandler) {
    for (const HandlerCase& c : kHandlerCases) {
        SCOPED_TRACE(c.name);
        if (detector == nullptr) detector = new TZtUsbDetector;
        freed = 0;
        handlerFinished = 0;
        c.arm(*detector, FreeingHandler());
        c.happen(station);
        PumpRequests();  // the requests that lead to the details
        EXPECT_EQ(handlerFinished, 1);
        ExpectGoneQuietly();
    }
}

// An inquiry that lets the message loop run, with a host message waiting in the queue.
struct PumpCase {
    const char* name;
    void (*start)(TZtUsbDetector& detector, sim::Workstation& station);
    void (*run)(TZtUsbDetector*& detector);
};

const PumpCase kPumpCases[] = {
    {"COM port inventory",
     [](TZtUsbDetector&, sim::Workstation& s) { s.Attach(sim::FtdiAdapter(u"FT1", u"COM5")); },
     [](TZtUsbDetector*& d) { EXPECT_EQ(d->GetAvailableComPortsEx(), 1); }},
    {"new-port inquiry between its queries",
     [](TZtUsbDetector&, sim::Workstation& s) {
         BroadcastOther(kArrival);  // tried first, matches nothing: the inquiry pumps
         s.Plug(sim::FtdiAdapter(u"FT3", u"COM7"));
     },
     [](TZtUsbDetector*&) { PumpRequests(); }},
};

TEST_F(HostFreesDetector, InAMessageDispatchedByItsPump) {
    for (const PumpCase& c : kPumpCases) {
        SCOPED_TRACE(c.name);
        if (detector == nullptr) detector = new TZtUsbDetector;
        freed = 0;
        int details = 0;
        detector->OnNewComInfo = [&details](auto&&...) { ++details; };
        c.start(*detector, station);
        PostFree();
        c.run(detector);
        EXPECT_EQ(details, 0);  // the inquiry ended with its detector
        ExpectGoneQuietly();
    }
}

// Failures the detector reports in a message box, whose loop runs host code; the WMI
// answers are made to fail the work.
String Drive(const String& pnpDeviceId) {
    return u"\ninstance of Win32_DiskDrive\n{\n\tCaption = \"Stick\";\n\tDeviceID = "
           u"\"\\\\\\\\.\\\\PHYSICALDRIVE1\";\n\tPNPDeviceID = \"" +
           pnpDeviceId + u"\";\n};\n";
}

String PortWithoutDeviceIdPath() {
    return u"\ninstance of Win32_PnPEntity\n{\n\tCaption = \"Port (COM5)\";\n\tDeviceID = "
           u"\"FTDIBUS+NO+PATH\";\n};\n";
}

struct MessageBoxCase {
    const char* name;
    const char* shown;
    String objects;
    void (*run)(TZtUsbDetector*& detector);
};

const MessageBoxCase kMessageBoxCases[] = {
    {"decoder, interface name without pieces", "Debug error #1", u"",
     [](TZtUsbDetector*&) { sim::BroadcastDeviceChange(kArrival, UsbInterface(u"NOPIECES")); }},
    {"new-port inquiry", "#err0041 GetNewComInfo Exception", PortWithoutDeviceIdPath(),
     [](TZtUsbDetector*&) {
         BroadcastOther(kArrival);
         BroadcastOther(kArrival);
         sim::BroadcastDeviceChange(kArrival, sim::PortRecord(u"COM5"));
         PumpRequests();
     }},
    {"new-volume inquiry", "Debug ERR #177", Drive(u"NOPATH"),
     [](TZtUsbDetector*&) {
         BroadcastOther(kArrival);
         sim::BroadcastDeviceChange(kArrival, sim::VolumeRecord(0x10));
         PumpRequests();
     }},
    {"volume inventory", "Debug ERR #177", Drive(u"NOPATH"),
     [](TZtUsbDetector*& d) { EXPECT_EQ(d->GetAvailableVolumens(), 0); }},
};

TEST_F(HostFreesDetector, InTheLoopOfAMessageBox) {
    for (const MessageBoxCase& c : kMessageBoxCases) {
        SCOPED_TRACE(c.name);
        if (detector == nullptr) detector = new TZtUsbDetector;
        freed = 0;
        std::vector<std::string> shown;
        WmiServed answers(FixedObjects({c.objects}));
        const auto previous = zt::host::SetShowMessageHandler([&](const String& text) {
            shown.push_back(zt::host::ToUtf8(text));
            if (detector != nullptr) Free();
        });
        c.run(detector);
        zt::host::SetShowMessageHandler(previous);
        EXPECT_EQ(shown, std::vector<std::string>{c.shown});
        ExpectGoneQuietly();
    }
}

}  // namespace
