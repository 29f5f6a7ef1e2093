// A minimal Win32 window host: a window with a list that shows what the detector reports.
#include <windows.h>

#include <string>

#include "ztusb/detector/zt_usb_detector.h"

namespace {

HWND list = nullptr;

void Show(const std::u16string& text) {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

const char16_t* Direction(std::int32_t inout) { return inout == 1 ? u" arrived" : u" left"; }

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            MoveWindow(list, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = L"ZtUsbDetectorExample";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"USB devices", WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 640, 400, nullptr, nullptr, instance,
                                  nullptr);
    list = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL,
                           0, 0, 0, 0, window, nullptr, instance, nullptr);

    zt_usb_detector::TZtUsbDetector detector;
    detector.OnComDetect = [](zt::host::TObject*, const std::u16string& port, std::int32_t inout) {
        Show(u"COM port " + port + Direction(inout));
    };
    detector.OnVolumeDetect = [](zt::host::TObject*, const std::u16string& volume, std::int32_t inout) {
        Show(u"Volume " + volume + u":" + Direction(inout));
    };
    detector.OnUsbDetect = [](zt::host::TObject*, const std::u16string& name, const std::u16string& vid,
                              const std::u16string& pid, std::int32_t inout) {
        Show(u"USB device " + name + u" (" + vid + u" " + pid + u")" + Direction(inout));
    };
    detector.OnNewComInfo = [](zt::host::TObject*, std::vector<zt_usb_detector::TZtComInfo> ports,
                               std::int32_t count) {
        for (std::int32_t i = 0; i < count; ++i) {
            const auto& p = ports[static_cast<std::size_t>(i)];
            Show(u"  " + p.sPort + u": " + p.PortType + u", " + p.VID + u" " + p.PID + u", serial " + p.Serial);
        }
    };

    ShowWindow(window, show);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
