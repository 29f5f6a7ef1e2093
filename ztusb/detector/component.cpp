// The component's lifecycle, its hidden window and the raising methods.
#include "ztusb/detector/zt_usb_detector.h"

#include "ztusb/host/application.h"
#include "ztusb/wmi/ZtWmiU.h"

namespace zt_usb_detector {

namespace win32 = zt::win32;

namespace {

// The handler runs from a copy: it may free the component, and with it the handler itself.
template <typename Handler, typename... Args>
void Raise(const Handler& handler, TObject* sender, const Args&... args) {
    if (!handler) return;
    const Handler running = handler;
    running(sender, args...);
}

}  // namespace

TZtUsbDetector::TZtUsbDetector(TComponent* AOwner)
    : TComponent(AOwner), FLastArrivalAName(std::make_unique<TStringList>()) {
    FWindowHandle = zt::host::AllocateHWnd([this](TMessage& Message) { WndProc(Message); });
    USBRegister();
    FVersion = u"1.7";
    Ft232Rcount = 0;
}

TZtUsbDetector::~TZtUsbDetector() {
    if (FNotification != nullptr) win32::UnregisterDeviceNotification(FNotification);
    DeallocateHWnd(FWindowHandle);
    FreePendingRequests();
    FLastArrivalAName.reset();
}

bool TZtUsbDetector::USBRegister() {
    DEV_BROADCAST_DEVICEINTERFACE filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = GUID_DEVINTERFACE_USB_DEVICE;
    FNotification =
        win32::RegisterDeviceNotificationW(FWindowHandle, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    return FNotification != nullptr;
}

void TZtUsbDetector::DeallocateHWnd(win32::HWND Wnd) {
    if (Wnd == nullptr) return;
    // Default processing first, so nothing reaches the component while it goes.
    const auto defaultProc = reinterpret_cast<win32::LONG_PTR>(&win32::DefWindowProcW);
    if (win32::GetWindowLongPtrW(Wnd, GWLP_WNDPROC) != defaultProc) {
        win32::SetWindowLongPtrW(Wnd, GWLP_WNDPROC, defaultProc);
    }
    zt::host::FreeObjectInstance(Wnd);
    win32::DestroyWindow(Wnd);
}

void TZtUsbDetector::WndProc(TMessage& Message) {
    switch (Message.Msg) {
        case WM_DEVICECHANGE:
            try {
                WMDeviceChange(Message);
            } catch (...) {
                zt::host::HandleException(this);
            }
            break;
        case WM_DETECTOR_REQUEST:
            if (const auto text = TakeRequest(Message.WParam)) {
                RunRequest(zt::host::FromAnsi(*text), Message.LParam);
            }
            break;
        default:
            Message.Result =
                win32::DefWindowProcW(FWindowHandle, Message.Msg, Message.WParam, Message.LParam);
    }
}

bool TZtUsbDetector::AskWmi(const String& query, TStringList& lines) const {
    return CallOut([&] { ZtWmiU::DoWmiScript(query, lines); });
}

void TZtUsbDetector::DoComDetect(const String& ComPort, std::int32_t inout) {
    Raise(OnComDetect, this, ComPort, inout);
}

void TZtUsbDetector::DoVolumeDetect(const String& Volume, std::int32_t inout) {
    Raise(OnVolumeDetect, this, Volume, inout);
}

void TZtUsbDetector::DoUSBDetect(const String& UsbName, const String& vid, const String& pid,
                                 std::int32_t inout) {
    Raise(OnUsbDetect, this, UsbName, vid, pid, inout);
}

void TZtUsbDetector::DoNewComInfo(const std::vector<TZtComInfo>& ZtComInfo, std::int32_t count) {
    Raise(OnNewComInfo, this, ZtComInfo, count);
}

void TZtUsbDetector::DoNewVolInfo(const std::vector<TZtVolInfo>& ZtVolInfo, std::int32_t count) {
    Raise(OnNewVolInfo, this, ZtVolInfo, count);
}

void Register() {
    zt::host::RegisterComponents(
        u"ORVEN", {zt::host::ComponentClassOf<TZtUsbDetector>(u"TZtUsbDetector")});
}

}  // namespace zt_usb_detector
