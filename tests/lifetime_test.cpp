// The host may free the detector whenever the host's own code runs inside the detector's
// work: in an event handler, in a message that one of the detector's pumps dispatches, in a
// message box. Afterwards nothing of the detector may be touched (the sanitizers and the
// closures below would notice), and what the detector was doing simply ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <latch>
#include <memory>
#include <thread>
#include <utility>

#include "ztusb/host/window_binding.h"
#include "ztusb/sim/workstation.h"
#include "tests/test_support.h"
#include "ztusb/win32/windows_names.h"

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

String Arrived(const char16_t* instance) {
    return u"USB#VID_1234&PID_0001#" + String(instance) + u"#{x}";
}

// The host's own loop: returns the exit code of the quit request it ends on, or -1 when the
// queue runs dry without one.
int RunHostLoop() {
    win32::MSG message{};
    while (win32::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
        win32::TranslateMessage(&message);
        win32::DispatchMessageW(&message);
    }
    return -1;
}

// The host's loop delivering the next waiting message only.
void DeliverNext() {
    win32::MSG message{};
    if (!win32::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) return;
    win32::TranslateMessage(&message);
    win32::DispatchMessageW(&message);
}

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
              if (message.Msg == WM_CHAR) typed += static_cast<char16_t>(message.WParam);
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

    // A detector for the next case of a table.
    void Renew() {
        if (detector == nullptr) detector = new TZtUsbDetector;
        freed = 0;
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
    String typed;  // characters that reached the host's window
};

using Handler = std::function<void()>;

// Which handler frees the detector, and what the world does to make it run.
struct HandlerCase {
    const char* name;
    void (*arm)(TZtUsbDetector& detector, Handler handler);
    void (*happen)(sim::Workstation& station);
};

template <typename Event>
void Arm(Event& event, Handler handler) {
    event = [handler](auto&&...) { handler(); };
}

void BroadcastOther(std::uint32_t event) {
    zt::world::BroadcastDeviceChange(event, UsbInterface(Arrived(u"OTHER")));
}

const HandlerCase kHandlerCases[] = {
    {"usb arrival", [](TZtUsbDetector& d, Handler h) { Arm(d.OnUsbDetect, h); },
     [](sim::Workstation&) { BroadcastOther(kArrival); }},
    {"usb removal", [](TZtUsbDetector& d, Handler h) { Arm(d.OnUsbDetect, h); },
     [](sim::Workstation&) { BroadcastOther(kRemoval); }},
    {"port arrival with a listed device",
     [](TZtUsbDetector& d, Handler h) { Arm(d.OnComDetect, h); },
     [](sim::Workstation& s) { s.Plug(sim::FtdiAdapter(u"FT1", u"COM5")); }},
    {"volume arrival with a listed device",
     [](TZtUsbDetector& d, Handler h) { Arm(d.OnVolumeDetect, h); },
     [](sim::Workstation& s) {
         s.Plug(sim::UsbStick(u"STICK1", 1, {{u"E:", u"FAT32", 100, 50, u"S", u"1"}}));
     }},
    {"volume arrival of a stick with two volumes in one broadcast",
     [](TZtUsbDetector& d, Handler h) { Arm(d.OnVolumeDetect, h); },
     [](sim::Workstation& s) {
         s.Plug(sim::UsbStick(u"STICK3", 3, {{u"G:", u"FAT32", 100, 50, u"S", u"3"},
                                             {u"H:", u"NTFS", 200, 80, u"T", u"4"}}));
     }},
    {"new port details", [](TZtUsbDetector& d, Handler h) { Arm(d.OnNewComInfo, h); },
     [](sim::Workstation& s) { s.Plug(sim::FtdiAdapter(u"FT2", u"COM6")); }},
    {"new volume details", [](TZtUsbDetector& d, Handler h) { Arm(d.OnNewVolInfo, h); },
     [](sim::Workstation& s) {
         s.Plug(sim::UsbStick(u"STICK2", 2, {{u"F:", u"FAT32", 100, 50, u"S", u"2"}}));
     }},
};

TEST_F(HostFreesDetector, InEachEventHandler) {
    for (const HandlerCase& c : kHandlerCases) {
        SCOPED_TRACE(c.name);
        Renew();
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
    void (*start)(sim::Workstation& station);
    void (*run)(TZtUsbDetector& detector);
};

const PumpCase kPumpCases[] = {
    {"COM port inventory", [](sim::Workstation& s) { s.Attach(sim::FtdiAdapter(u"FT1", u"COM5")); },
     [](TZtUsbDetector& d) { EXPECT_EQ(d.GetAvailableComPortsEx(), 1); }},
    {"new-port inquiry between its queries",
     [](sim::Workstation& s) {
         s.Plug(sim::FtdiAdapter(u"FT3", u"COM7"));
         BroadcastOther(kArrival);  // the newest, tried first, matches nothing: the inquiry pumps
     },
     [](TZtUsbDetector&) { DeliverNext(); }},  // the request, whose inquiry pumps the rest
};

TEST_F(HostFreesDetector, InAMessageDispatchedByItsPump) {
    for (const PumpCase& c : kPumpCases) {
        SCOPED_TRACE(c.name);
        Renew();
        int details = 0;
        detector->OnNewComInfo = [&details](auto&&...) { ++details; };
        c.start(station);
        PostFree();
        c.run(*detector);
        EXPECT_EQ(details, 0);  // the inquiry ended with its detector
        ExpectGoneQuietly();
    }
}

// A WMI backend that runs the host's messages inside its query, as an outgoing COM call
// from the host's apartment does on Windows while it waits: `inside` runs during the query
// numbered `at` (from 0), before the answer.
ZtWmiU::WmiBackend PumpingInside(ZtWmiU::WmiBackend answers, int at, std::function<void()> inside) {
    auto asked = std::make_shared<int>(0);
    return [=](const String& query) {
        if ((*asked)++ == at) inside();
        return answers(query);
    };
}

sim::StorageDevice Stick(const char16_t* serial, std::uint32_t disk, const char16_t* letter) {
    return sim::UsbStick(serial, disk, {{letter, u"FAT32", 100, 50, u"S", u"1"}});
}

// Which WMI query of which work lets the host free the detector.
struct WmiPumpCase {
    const char* name;
    int query;
    void (*start)(sim::Workstation& station);
    void (*run)(TZtUsbDetector& detector);
};

const WmiPumpCase kWmiPumpCases[] = {
    {"COM port inventory", 0, [](sim::Workstation& s) { s.Attach(sim::FtdiAdapter(u"FT1", u"COM5")); },
     [](TZtUsbDetector& d) { d.GetAvailableComPortsEx(); }},
    {"USBasp check", 0, [](sim::Workstation& s) { s.Attach(sim::UsbaspProgrammer(u"www.fischl.de")); },
     [](TZtUsbDetector& d) { d.CheckUSBasp(); }},
    {"volume inventory, its drives", 0, [](sim::Workstation& s) { s.Attach(Stick(u"STICK1", 1, u"E:")); },
     [](TZtUsbDetector& d) { d.GetAvailableVolumens(); }},
    {"volume inventory, a drive's partitions", 1,
     [](sim::Workstation& s) { s.Attach(Stick(u"STICK4", 4, u"H:")); },
     [](TZtUsbDetector& d) { d.GetAvailableVolumens(); }},
    {"new-port inquiry", 0, [](sim::Workstation& s) { s.Plug(sim::FtdiAdapter(u"FT2", u"COM6")); },
     [](TZtUsbDetector&) { PumpRequests(); }},
    {"new-volume inquiry, the drives it names", 0,
     [](sim::Workstation& s) { s.Plug(Stick(u"STICK2", 2, u"F:")); }, [](TZtUsbDetector&) { PumpRequests(); }},
    // The newest arrival holds no drive: the inquiry walks back from the letter.
    {"new-volume inquiry, back from the letter", 1,
     [](sim::Workstation& s) {
         s.Plug(Stick(u"STICK3", 3, u"G:"));
         PumpRequests();
         BroadcastOther(kArrival);
         zt::world::BroadcastDeviceChange(kArrival, zt::world::VolumeRecord(1u << 6));
     },
     [](TZtUsbDetector&) { PumpRequests(); }},
};

TEST_F(HostFreesDetector, InAMessageDispatchedWhileWmiAnswers) {
    for (const WmiPumpCase& c : kWmiPumpCases) {
        SCOPED_TRACE(c.name);
        Renew();
        c.start(station);
        int events = 0;
        detector->OnUsbDetect = [&events](auto&&...) { ++events; };
        detector->OnNewComInfo = [&events](auto&&...) { ++events; };
        detector->OnNewVolInfo = [&events](auto&&...) { ++events; };
        {
            WmiServed pumping(PumpingInside(station.WmiBackend(), c.query, [this] {
                PostFree();
                RunHostLoop();
            }));
            c.run(*detector);
        }
        EXPECT_EQ(events, 0);  // the work ended with its detector
        ExpectGoneQuietly();
    }
}

using HostLoopDuringInquiry = HostFreesDetector;

// The system's broadcast is a sent message: WMI's pump hands it to the detector inside the
// inquiry. It is reported at once, and its own inquiry runs after the one in progress.
TEST_F(HostLoopDuringInquiry, APortArrivingWhileWmiAnswersIsReportedAndAskedAboutNext) {
    std::vector<std::string> events;
    zt::testing::RecordEvents(*detector, events);
    detector->OnNewComInfo = [&events](zt::host::TObject*, std::vector<zt_usb_detector::TZtComInfo> ports,
                                       std::int32_t count) {
        events.push_back("details " + std::to_string(count) + " " + zt::host::ToUtf8(ports[0].sPort));
    };
    station.Plug(sim::FtdiAdapter(u"FT1", u"COM5"));  // its request waits in the queue
    WmiServed pumping(PumpingInside(station.WmiBackend(), 0, [this] {
        station.Plug(sim::FtdiAdapter(u"FT2", u"COM6"));
        RunHostLoop();
    }));
    PumpRequests();
    EXPECT_EQ(events, (std::vector<std::string>{"usb FT1 VID_0403 PID_6001 1", "com COM5 1",
                                                "usb FT2 VID_0403 PID_6001 1", "com COM6 1", "details 1 COM5",
                                                "details 1 COM6"}));
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{});
}

TEST_F(HostLoopDuringInquiry, AQuitRequestIsLeftForTheHostsLoopWithItsExitCode) {
    for (const PumpCase& c : kPumpCases) {
        SCOPED_TRACE(c.name);
        c.start(station);
        win32::PostQuitMessage(3);
        c.run(*detector);
        EXPECT_EQ(RunHostLoop(), 3);
        EXPECT_EQ(RunHostLoop(), -1) << "one quit request, not a stream of them";
    }
}

TEST_F(HostLoopDuringInquiry, KeystrokesReachTheHostsWindowAsCharacters) {
    for (const PumpCase& c : kPumpCases) {
        SCOPED_TRACE(c.name);
        typed.clear();
        c.start(station);
        // Key A, then key 7, as the keyboard posts them (repeat count 1, the keys' scan codes).
        win32::PostMessageW(hostWindow, WM_KEYDOWN, 'A', 0x001E0001);
        win32::PostMessageW(hostWindow, WM_KEYDOWN, '7', 0x00080001);
        c.run(*detector);
        EXPECT_EQ(typed, u"a7");
        PumpRequests();
    }
}

// Failures the detector reports in a message box, whose loop runs host code; the WMI
// answers are made to fail the work.
String Drive(const String& pnpDeviceId) {
    return u"\ninstance of Win32_DiskDrive\n{\n\tCaption = \"Stick\";\n\tDeviceID = "
           u"\"\\\\\\\\.\\\\PHYSICALDRIVE1\";\n\tMediaType = \"Removable Media\";\n\tPNPDeviceID = \"" +
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
    void (*run)(TZtUsbDetector& detector);
};

const MessageBoxCase kMessageBoxCases[] = {
    {"decoder, interface name without pieces", "Debug error #1", u"",
     [](TZtUsbDetector&) { zt::world::BroadcastDeviceChange(kArrival, UsbInterface(u"NOPIECES")); }},
    {"new-port inquiry", "#err0041 GetNewComInfo Exception", PortWithoutDeviceIdPath(),
     [](TZtUsbDetector&) {
         BroadcastOther(kArrival);
         BroadcastOther(kArrival);
         zt::world::BroadcastDeviceChange(kArrival, zt::world::PortRecord(u"COM5"));
         PumpRequests();
     }},
    // A drive whose device ID holds no instance leaves its volume without a USB serial.
    {"new-volume inquiry", "Debug ERR #177", Drive(u"NOPATH"),
     [](TZtUsbDetector&) {
         zt::world::BroadcastDeviceChange(kArrival, UsbInterface(Arrived(u"")));
         zt::world::BroadcastDeviceChange(kArrival, zt::world::VolumeRecord(0x10));
         PumpRequests();
     }},
    {"volume inventory", "Debug ERR #177", Drive(u"NOPATH"),
     [](TZtUsbDetector& d) { EXPECT_EQ(d.GetAvailableVolumens(), 0); }},
};

TEST_F(HostFreesDetector, InTheLoopOfAMessageBox) {
    for (const MessageBoxCase& c : kMessageBoxCases) {
        SCOPED_TRACE(c.name);
        Renew();
        std::vector<std::string> shown;
        WmiServed answers(FixedObjects({c.objects}));
        const auto previous = zt::host::SetShowMessageHandler([&](const String& text) {
            shown.push_back(zt::host::ToUtf8(text));
            if (detector != nullptr) Free();
        });
        c.run(*detector);
        zt::host::SetShowMessageHandler(previous);
        EXPECT_EQ(shown, std::vector<std::string>{c.shown});
        ExpectGoneQuietly();
    }
}

TEST(DetectorsSideBySide, TwoOnOneThreadKeepTheirOwnListsAndRequests) {
    DialogRecorder dialogs;
    WmiServed nothing(FixedObjects({}));
    TZtUsbDetector first;
    zt::world::BroadcastDeviceChange(kArrival, UsbInterface(Arrived(u"EARLY")));
    {
        TZtUsbDetector second;
        zt::world::BroadcastDeviceChange(kArrival, UsbInterface(Arrived(u"LATE")));
        EXPECT_EQ(zt::testing::Entries(first.ArrivalNames()),
                  (std::vector<String>{u"EARLY", u"LATE"}));
        EXPECT_EQ(zt::testing::Entries(second.ArrivalNames()), std::vector<String>{u"LATE"});
        // Once LATE has left, only the first still knows a USB device to ask about.
        zt::world::BroadcastDeviceChange(kRemoval, UsbInterface(Arrived(u"LATE")));
        EXPECT_TRUE(second.ArrivalNames().Count() == 0);
        zt::world::BroadcastDeviceChange(kArrival, zt::world::VolumeRecord(0x10));
        EXPECT_EQ(PumpRequests(), std::vector<std::string>{"DoNewVolInfo:EARLY"});
        zt::world::BroadcastDeviceChange(kArrival, UsbInterface(Arrived(u"LATE")));
    }
    zt::world::BroadcastDeviceChange(kRemoval, UsbInterface(Arrived(u"EARLY")));
    EXPECT_EQ(zt::testing::Entries(first.ArrivalNames()), std::vector<String>{u"LATE"});
    EXPECT_TRUE(dialogs.messages.empty());
}

// What one thread's detector heard, read on that thread while both detectors live.
struct Heard {
    std::vector<std::string> events;
    std::vector<String> names;
};

// Waits for the other thread while handling this thread's messages, as a GUI thread must:
// the system may send a window of this thread a message from the other one (Wine does, when
// that thread makes or destroys its window) and would wait for it forever otherwise.
void ArriveAndPump(std::latch& latch) {
    latch.count_down();
    while (!latch.try_wait()) {
        zt::host::ProcessMessages();
        std::this_thread::yield();
    }
}

TEST(DetectorsSideBySide, DetectorsOnTwoThreadsHearOnlyTheirOwnThreadsBroadcasts) {
    std::latch bothMade(2);
    std::latch bothBroadcast(2);
    std::latch bothRead(2);
    std::latch bothGone(2);
    const auto listen = [&](const char16_t* instance, Heard& heard) {
        {
            TZtUsbDetector detector;
            zt::testing::RecordEvents(detector, heard.events);
            ArriveAndPump(bothMade);
            zt::world::BroadcastDeviceChange(kArrival, UsbInterface(Arrived(instance)));
            zt::world::BroadcastDeviceChange(kArrival, zt::world::PortRecord(instance));
            ArriveAndPump(bothBroadcast);
            heard.names = zt::testing::Entries(detector.ArrivalNames());
            ArriveAndPump(bothRead);
        }
        ArriveAndPump(bothGone);
    };
    Heard there;
    Heard here;
    WmiServed nothing(FixedObjects({}));
    std::thread other([&] { listen(u"THERE", there); });
    listen(u"HERE", here);
    other.join();
    EXPECT_EQ(here.names, std::vector<String>{u"HERE"});
    EXPECT_EQ(there.names, std::vector<String>{u"THERE"});
    EXPECT_EQ(here.events,
              (std::vector<std::string>{"usb HERE VID_1234 PID_0001 1", "com HERE 1"}));
    EXPECT_EQ(there.events,
              (std::vector<std::string>{"usb THERE VID_1234 PID_0001 1", "com THERE 1"}));
}

}  // namespace
