// The component's hidden window, on the emulated system and on the real one under Wine.
#include <gtest/gtest.h>

#include <stdexcept>

#include "ztusb/host/window_binding.h"
#include "tests/test_support.h"
#include "ztusb/win32/windows_names.h"

namespace {

using zt::host::String;
using zt::testing::Broadcast;
using zt::testing::DialogRecorder;
using zt::testing::RecordEvents;
using zt::testing::UsbInterface;
using zt_usb_detector::TZtUsbDetector;
namespace win32 = zt::win32;

constexpr std::uint32_t kArrival = DBT_DEVICEARRIVAL;

using zt::testing::BoundWindows;

TEST(DetectorWindow, CreateMakesOneSubscribedWindowAndDestroyLeavesNone) {
    const auto before = BoundWindows().size();
    win32::HWND window = nullptr;
    {
        TZtUsbDetector detector;
        const auto windows = BoundWindows();
        ASSERT_EQ(windows.size(), before + 1);
        window = windows.back();
        EXPECT_TRUE(win32::IsSubscribedToDeviceInterface(
            window, zt_usb_detector::GUID_DEVINTERFACE_USB_DEVICE));
        EXPECT_EQ(detector.Version(), u"1.7");
    }
    EXPECT_EQ(BoundWindows().size(), before);
    EXPECT_FALSE(win32::IsWindow(window));
    EXPECT_FALSE(win32::IsSubscribedToDeviceInterface(
        window, zt_usb_detector::GUID_DEVINTERFACE_USB_DEVICE));
}

TEST(DetectorWindow, BroadcastsReachTheDecoderOfEveryDetector) {
    DialogRecorder dialogs;
    TZtUsbDetector first;
    TZtUsbDetector second;
    std::vector<std::string> firstEvents;
    std::vector<std::string> secondEvents;
    RecordEvents(first, firstEvents);
    RecordEvents(second, secondEvents);
    Broadcast(kArrival, UsbInterface(u"USB#VID_0403&PID_6001#FT1#{x}"));
    Broadcast(kArrival, zt::world::PortRecord(u"COM5"));
    Broadcast(DBT_DEVICEREMOVECOMPLETE, zt::world::VolumeRecord(0x8));
    const std::vector<std::string> expected = {"usb FT1 VID_0403 PID_6001 1", "com COM5 1",
                                               "volume D 0"};
    EXPECT_EQ(firstEvents, expected);
    EXPECT_EQ(secondEvents, expected);
    zt::testing::PumpRequests();
}

TEST(DetectorWindow, DeviceInterfacesGoOnlyToSubscribedWindows) {
    std::vector<win32::UINT> seen;
    const win32::HWND plain = zt::host::AllocateHWnd([&](zt::host::TMessage& message) {
        if (message.Msg == WM_DEVICECHANGE) seen.push_back(static_cast<win32::UINT>(message.WParam));
    });
    ASSERT_NE(plain, nullptr);
    Broadcast(kArrival, UsbInterface(u"USB#VID_1&PID_2#one#{x}"));
    Broadcast(kArrival, zt::world::PortRecord(u"COM1"));
    zt::win32::GUID other = zt_usb_detector::GUID_DEVINTERFACE_USB_DEVICE;
    other.Data1 ^= 1;
    TZtUsbDetector detector;
    std::vector<std::string> events;
    RecordEvents(detector, events);
    Broadcast(kArrival, zt::world::DeviceInterfaceRecord(u"HID#VID_1&PID_2#one#{x}", other));
    EXPECT_EQ(seen, std::vector<win32::UINT>{kArrival});  // the port only
    EXPECT_TRUE(events.empty());
    zt::host::FreeObjectInstance(plain);
    win32::DestroyWindow(plain);
}

TEST(DetectorWindow, DecoderFailuresGoToTheHostAndTheNextMessageIsHandled) {
    DialogRecorder dialogs;
    TZtUsbDetector detector;
    int calls = 0;
    detector.OnComDetect = [&](zt::host::TObject*, const String&, std::int32_t) {
        if (++calls == 1) throw std::runtime_error("handler failed");
    };
    Broadcast(kArrival, zt::world::PortRecord(u"COM1"));
    Broadcast(kArrival, zt::world::PortRecord(u"COM2"));
    EXPECT_EQ(calls, 2);
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_THROW(std::rethrow_exception(dialogs.failures[0]), std::runtime_error);
    EXPECT_EQ(detector.ComPort, "COM2");
}

TEST(DetectorWindow, OtherMessagesGetTheDefaultProcessing) {
    TZtUsbDetector detector;
    const win32::HWND window = BoundWindows().back();
    // The default processing keeps the window's text: what is set comes back.
    const win32::WCHAR title[] = ZT_WTEXT("Detector");
    win32::WCHAR shortBuffer[5] = {};
    const auto address = [](const win32::WCHAR* text) {
        return reinterpret_cast<win32::LPARAM>(text);
    };
    EXPECT_NE(win32::SendMessageW(window, WM_SETTEXT, 0, address(title)), 0);
    EXPECT_EQ(win32::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0), 8);
    EXPECT_EQ(win32::SendMessageW(window, WM_GETTEXT, 5, address(shortBuffer)), 4);
    EXPECT_EQ(String(shortBuffer, shortBuffer + 5), String(u"Dete\0", 5));
}

// Windows cannot post a system message whose parameters point to memory: the sender may free
// it before delivery. A post that got through would let anyone aim DefWindowProcW at an
// address of their choosing.
TEST(DetectorWindow, PostingSystemMessagesThatCarryPointersIsRefused) {
    struct Row {
        const char* name;
        win32::UINT message;
        win32::WPARAM wParam;
        win32::DWORD error;  // ERROR_SUCCESS: posted and delivered
    };
    const Row rows[] = {
        {"WM_SETTEXT", WM_SETTEXT, 0, ERROR_MESSAGE_SYNC_ONLY},
        {"WM_GETTEXT", WM_GETTEXT, 16, ERROR_MESSAGE_SYNC_ONLY},
        {"WM_CREATE", WM_CREATE, 0, ERROR_MESSAGE_SYNC_ONLY},
        {"WM_COPYDATA", WM_COPYDATA, 0, ERROR_MESSAGE_SYNC_ONLY},
        {"WM_DEVICECHANGE with a record", WM_DEVICECHANGE, kArrival, ERROR_MESSAGE_SYNC_ONLY},
        {"WM_DEVICECHANGE without one", WM_DEVICECHANGE, 0x0007, ERROR_SUCCESS},
        {"WM_GETTEXTLENGTH", WM_GETTEXTLENGTH, 0, ERROR_SUCCESS},
        {"WM_KEYDOWN", WM_KEYDOWN, 'A', ERROR_SUCCESS},
        {"the host's own, past WM_USER", WM_USER + WM_SETTEXT, 0, ERROR_SUCCESS},
        {"the detector's request number", zt_usb_detector::WM_DETECTOR_REQUEST, 0, ERROR_SUCCESS},
    };
    const Row* current = nullptr;
    int delivered = 0;  // of the current row's message: the system may send others
    const win32::HWND window = zt::host::AllocateHWnd([&](zt::host::TMessage& message) {
        if (current != nullptr && message.Msg == current->message) ++delivered;
    });
    const win32::WCHAR text[] = ZT_WTEXT("posted");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        current = &row;
        delivered = 0;
        win32::SetLastError(ERROR_SUCCESS);
        const win32::BOOL posted =
            win32::PostMessageW(window, row.message, row.wParam, reinterpret_cast<win32::LPARAM>(text));
        EXPECT_EQ(posted != FALSE, row.error == ERROR_SUCCESS);
        if (!posted) {
            EXPECT_EQ(win32::GetLastError(), row.error);
        }
        zt::testing::PumpRequests();
        EXPECT_EQ(delivered, posted ? 1 : 0);
    }
    zt::host::FreeObjectInstance(window);
    win32::DestroyWindow(window);
    EXPECT_FALSE(win32::PostMessageW(window, WM_USER, 0, 0));
    EXPECT_EQ(win32::GetLastError(), static_cast<win32::DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST(DetectorWindow, AnOwnerFreesItsDetectorAndItsWindow) {
    const auto before = BoundWindows().size();
    {
        zt::host::TComponent owner(nullptr);
        auto* detector = new TZtUsbDetector(&owner);
        EXPECT_EQ(owner.ComponentCount(), 1);
        EXPECT_EQ(owner.Components(0), detector);
        EXPECT_EQ(BoundWindows().size(), before + 1);
    }
    EXPECT_EQ(BoundWindows().size(), before);
}

TEST(Broadcast, RejectsRecordsShorterThanTheirHeaderOrDeclaredSize) {
    EXPECT_THROW(zt::world::BroadcastDeviceChange(kArrival, std::vector<std::uint8_t>(8, 0)),
                 std::invalid_argument);
    zt::world::Record record = zt::world::PortRecord(u"COM1");
    record.pop_back();
    EXPECT_THROW(zt::world::BroadcastDeviceChange(kArrival, record), std::invalid_argument);
}

}  // namespace
