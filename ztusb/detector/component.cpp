// The component's lifecycle, its hidden window and the raising methods.
#include <stdexcept>
#include <string>

#include "ztusb/detector/component_impl.h"
#include "ztusb/host/application.h"
#include "ztusb/host/log_line.h"
#include "ztusb/wmi/ZtWmiU.h"
#include "ztusb/win32/windows_names.h"

namespace zt_usb_detector {

namespace win32 = zt::win32;

namespace {

// No numbered message tells of these, so the host's handler of unhandled failures does.
void ReportDeafness(TObject* sender, const std::string& failure) {
    ZT_LOG(Error, "window") << failure;
    try {
        throw std::runtime_error("TZtUsbDetector " + failure);
    } catch (...) {
        zt::host::HandleException(sender);
    }
}

}  // namespace

TZtUsbDetector::TZtUsbDetector(TComponent* AOwner)
    : TComponent(AOwner), FImpl(std::make_unique<Impl>(*this)) {}

TZtUsbDetector::~TZtUsbDetector() = default;

TZtUsbDetector::Impl::Impl(TZtUsbDetector& detector) : FDetector(detector) {
    const zt::host::LogDeferral deferred;
    FWindowHandle = zt::host::AllocateHWnd([this](TMessage& Message) { WndProc(Message); });
    if (FWindowHandle == nullptr) {
        ReportDeafness(&detector, "could not make its hidden window: it hears of no device");
    } else if (!USBRegister()) {
        ReportDeafness(&detector, "could not register for USB device notifications: it hears of no USB device");
    }
    FVersion = u"1.7";
    detector.Ft232Rcount = 0;
}

TZtUsbDetector::Impl::~Impl() {
    if (FNotification != nullptr) win32::UnregisterDeviceNotification(FNotification);
    DeallocateHWnd(FWindowHandle);
    FreePendingRequests();
}

String TZtUsbDetector::Version() const { return FImpl->FVersion; }

const TStringList& TZtUsbDetector::ArrivalNames() const { return FImpl->FLastArrivalAName; }

bool TZtUsbDetector::Impl::USBRegister() {
    DEV_BROADCAST_DEVICEINTERFACE filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = GUID_DEVINTERFACE_USB_DEVICE;
    FNotification =
        win32::RegisterDeviceNotificationW(FWindowHandle, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    return FNotification != nullptr;
}

void TZtUsbDetector::Impl::DeallocateHWnd(win32::HWND Wnd) {
    if (Wnd == nullptr) return;
    // Default processing first, so nothing reaches the component while it goes.
    const auto defaultProc = reinterpret_cast<win32::LONG_PTR>(&win32::DefWindowProcW);
    if (win32::GetWindowLongPtrW(Wnd, GWLP_WNDPROC) != defaultProc) {
        win32::SetWindowLongPtrW(Wnd, GWLP_WNDPROC, defaultProc);
    }
    zt::host::FreeObjectInstance(Wnd);
    win32::DestroyWindow(Wnd);
}

void TZtUsbDetector::Impl::WndProc(TMessage& Message) {
    const zt::host::LogDeferral deferred;
    switch (Message.Msg) {
        case WM_DEVICECHANGE: {
            TObject* const sender = &FDetector;
            const bool alive = CallOut([&] {
                try {
                    FDetector.WMDeviceChange(Message);
                } catch (...) {
                    zt::host::HandleException(sender);
                }
            });
            if (!alive) return;  // freed by a handler
            // What could not be posted runs now, as it would have been delivered after this message.
            if (!FInquiring) static_cast<void>(Inquire([] {}));
            break;
        }
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

void TZtUsbDetector::WMDeviceChange(TMessage& Message) { FImpl->DeviceChanged(Message.WParam, Message.LParam); }

bool TZtUsbDetector::Impl::AskWmi(const String& query, TStringList& lines) const {
    return CallOut([&] { ZtWmiU::DoWmiScript(query, lines); });
}

void TZtUsbDetector::DoComDetect(const String& ComPort, std::int32_t inout) {
    FImpl->Raise(OnComDetect, ComPort, inout);
}

void TZtUsbDetector::DoVolumeDetect(const String& Volume, std::int32_t inout) {
    FImpl->Raise(OnVolumeDetect, Volume, inout);
}

void TZtUsbDetector::DoUSBDetect(const String& UsbName, const String& vid, const String& pid,
                                 std::int32_t inout) {
    FImpl->Raise(OnUsbDetect, UsbName, vid, pid, inout);
}

void TZtUsbDetector::DoNewComInfo(const std::vector<TZtComInfo>& ZtComInfo, std::int32_t count) {
    FImpl->Raise(OnNewComInfo, ZtComInfo, count);
}

void TZtUsbDetector::DoNewVolInfo(const std::vector<TZtVolInfo>& ZtVolInfo, std::int32_t count) {
    FImpl->Raise(OnNewVolInfo, ZtVolInfo, count);
}

void TZtUsbDetector::GetAvailableComPorts(TStringList& Ports, bool WithNames) {
    const zt::host::LogDeferral deferred;
    FImpl->GetAvailableComPorts(Ports, WithNames);
}

std::int32_t TZtUsbDetector::GetAvailableComPortsEx() {
    const zt::host::LogDeferral deferred;
    return FImpl->GetAvailableComPortsEx();
}

void TZtUsbDetector::CheckUSBasp() {
    const zt::host::LogDeferral deferred;
    FImpl->CheckUSBasp();
}

std::int32_t TZtUsbDetector::GetAvailableVolumens() {
    const zt::host::LogDeferral deferred;
    return FImpl->GetAvailableVolumens();
}

void Register() {
    zt::host::RegisterComponents(
        u"ORVEN", {zt::host::ComponentClassOf<TZtUsbDetector>(u"TZtUsbDetector")});
}

}  // namespace zt_usb_detector
