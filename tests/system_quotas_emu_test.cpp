// When the system refuses what the component asks of it, as Windows does past its quotas:
// the component says so, and a request it could not post is still run.
#include <gtest/gtest.h>

#include "tests/test_support.h"
#include "ztusb/win32/windows_names.h"

namespace {

using zt::host::String;
using zt::testing::DialogRecorder;
using zt::testing::LogRecorder;

// Makes windows until the process may have no more, and frees them again.
class AllWindowsTaken {
public:
    AllWindowsTaken() {
        zt::win32::WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &zt::win32::DefWindowProcW;
        windowClass.lpszClassName = ZT_WTEXT("QuotaFiller");
        zt::win32::RegisterClassW(&windowClass);
        for (int i = 0; i <= 10000; ++i) {
            const zt::win32::HWND window = zt::win32::CreateWindowExW(
                0, ZT_WTEXT("QuotaFiller"), ZT_WTEXT(""), 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
            if (window == nullptr) break;
            windows_.push_back(window);
        }
    }
    ~AllWindowsTaken() {
        for (const zt::win32::HWND window : windows_) zt::win32::DestroyWindow(window);
    }

private:
    std::vector<zt::win32::HWND> windows_;
};

TEST(SystemQuotas, AComponentWithoutItsWindowSaysSo) {
    DialogRecorder dialogs;
    LogRecorder log(zt::host::LogLevel::Error);
    {
        const AllWindowsTaken taken;
        const zt_usb_detector::TZtUsbDetector detector;
    }
    EXPECT_EQ(dialogs.failures.size(), 1u) << "the host's handler hears of it";
    EXPECT_EQ(log.In("window"),
              std::vector<std::string>{"window: could not make its hidden window: it hears of no device"});
}

// The component's request finds the queue full (a burst of messages the loop has not caught
// up with): it runs after the broadcast in hand instead, where it would have been delivered.
TEST(SystemQuotas, ARequestThatCannotBePostedRunsAfterTheBroadcast) {
    DialogRecorder dialogs;
    std::vector<String> queries;
    zt::testing::WmiServed served([&](const String& query) {
        queries.push_back(query);
        return std::optional(std::vector<String>{});
    });
    zt_usb_detector::TZtUsbDetector detector;
    zt::testing::Broadcast(DBT_DEVICEARRIVAL, zt::testing::UsbInterface(u"USB#VID_0403&PID_6001#FT1#{x}"));
    int posted = 0;
    while (posted <= 10000 && zt::win32::PostThreadMessageW(zt::win32::GetCurrentThreadId(), WM_APP, 0, 0)) ++posted;
    ASSERT_EQ(zt::win32::GetLastError(), static_cast<zt::win32::DWORD>(ERROR_NOT_ENOUGH_QUOTA));
    LogRecorder log(zt::host::LogLevel::Warning);
    zt::testing::Broadcast(DBT_DEVICEARRIVAL, zt::world::PortRecord(u"COM5"));
    ASSERT_EQ(queries.size(), 1u) << "the request was lost";
    EXPECT_TRUE(zt::host::Contains(queries[0], u"COM5"));
    ASSERT_EQ(log.In("request").size(), 1u);
    EXPECT_TRUE(log.In("request")[0].starts_with("request: could not post DoNewComInfo:COM5 (error 1816)"))
        << log.In("request")[0];
    EXPECT_TRUE(zt::testing::PumpRequests().empty());
    EXPECT_EQ(queries.size(), 1u) << "run twice";
}

}  // namespace
