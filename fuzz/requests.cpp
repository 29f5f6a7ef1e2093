// Messages another process can post to the component's window: the request number and
// WM_DEVICECHANGE with any parameters, mixed with the component's own requests for a
// device that really arrives.
//
// Input: per message: kind (1 byte), WParam (8 bytes), LParam (8 bytes).
#include "ztusb/detector/zt_usb_detector.h"
#include "fuzz/fuzz_input.h"
#include "ztusb/sim/workstation.h"
#include "ztusb/win32/windows_names.h"

namespace {

using zt::win32::HWND;
using zt::win32::LPARAM;
using zt::win32::WPARAM;

std::vector<HWND> ThreadWindows() {
    std::vector<HWND> windows;
    zt::win32::EnumThreadWindows(
        zt::win32::GetCurrentThreadId(),
        [](HWND window, LPARAM found) -> zt::win32::BOOL {
            reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

void Send(zt::fuzz::FuzzInput& input, HWND window) {
    const auto kind = input.Take<std::uint8_t>();
    const auto wParam = static_cast<WPARAM>(input.Take<std::uint64_t>());
    const auto lParam = static_cast<LPARAM>(input.Take<std::uint64_t>());
    switch (kind % 4) {
        case 0: zt::win32::PostMessageW(window, zt_usb_detector::WM_DETECTOR_REQUEST, wParam, lParam); break;
        // Without a record: the system sends none for these events (only its pointer is a record).
        case 1: zt::win32::PostMessageW(window, WM_DEVICECHANGE, wParam, 0); break;
        case 2: zt::win32::SendMessageW(window, zt_usb_detector::WM_DETECTOR_REQUEST, wParam, lParam); break;
        default: zt::host::ProcessMessages();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool silenced = (zt::fuzz::SilenceDialogs(), true);
    (void)silenced;
    zt::fuzz::FuzzInput input(data, size);
    zt::sim::Workstation station;
    const auto previous = ZtWmiU::SetWmiBackend(station.WmiBackend());
    {
        zt_usb_detector::TZtUsbDetector detector;
        const std::vector<HWND> windows = ThreadWindows();
        zt::fuzz::Require(!windows.empty(), "the component has its window");
        const auto adapter = zt::sim::FtdiAdapter(u"A50285BI", u"COM5");
        station.Plug(adapter);  // the component posts its own request
        while (!input.Empty()) Send(input, windows.front());
        station.Unplug(adapter);
        zt::host::ProcessMessages();
    }
    ZtWmiU::SetWmiBackend(previous);
    return 0;
}
