#pragma once
// TZtUsbDetector's private state and the steps its sources share: the window, the lists it
// keeps, the request road and the inquiries. Not installed: a new helper changes no host.

#include <deque>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "ztusb/detector/zt_usb_detector.h"
#include "ztusb/host/liveness.h"

namespace zt_usb_detector {

class Ft232RSerials;

class TZtUsbDetector::Impl {
public:
    explicit Impl(TZtUsbDetector& detector);
    ~Impl();
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    // The host's code may free the component whenever the component calls it: a handler,
    // the message pump, a message box, a WMI call (an outgoing COM call from the host's
    // apartment pumps messages on Windows). Every such call goes through CallOut, which says
    // whether the component outlived it; once it says no, return at once. Work done on the
    // component's behalf, such as a walk of many WMI queries, calls out through a watch of
    // its own, which ends the walk quietly once the component is gone.
    template <typename Call, typename... Args>
    [[nodiscard]] bool CallOut(Call call, Args&&... args) const {
        return FLiveness.CallOut(std::move(call), std::forward<Args>(args)...);
    }
    zt::host::Liveness::Watch Alive() const { return FLiveness.Observe(); }
    // The query's object texts into lines, through CallOut.
    [[nodiscard]] bool AskWmi(const String& query, TStringList& lines) const;

    // Raises an event from a copy of its handler, which may free the component.
    template <typename Handler, typename... Args>
    void Raise(const Handler& handler, const Args&... args) const {
        if (handler) static_cast<void>(CallOut(handler, &FDetector, args...));
    }

    // An inquiry pumps messages: requests delivered meanwhile wait, and run after it in
    // delivery order, so that a burst of them never nests one inquiry in another. Says
    // whether the component outlived them all.
    [[nodiscard]] bool Inquire(const std::function<void()>& inquiry);
    // Those waiting, and those that could not be posted; whether the component outlived them.
    [[nodiscard]] bool RunQueuedRequests();

    // The window (component.cpp).
    void WndProc(TMessage& Message);
    bool USBRegister();
    void DeallocateHWnd(zt::win32::HWND Wnd);

    // Device-change steps (device_change.cpp).
    void DeviceChanged(zt::win32::WPARAM event, zt::win32::LPARAM address);
    void PortChanged(const String& portName, std::int32_t inout);
    void VolumeChanged(std::uint32_t unitMask, std::int32_t inout);
    void DeviceInterfaceChanged(const String& interfaceName, std::int32_t inout);
    void RemoveFt232RPort(const String& portName);
    // The entries of Ft232RList that Ft232Rcount counts, never more than the list holds.
    std::size_t ListedFt232RCount() const;

    // The request road (requests.cpp).
    void PostRequest(const AnsiString& text, zt::win32::LPARAM detail = 0);
    std::optional<AnsiString> TakeRequest(zt::win32::WPARAM heapText);
    void RunRequest(const String& text, zt::win32::LPARAM detail);
    void RouteRequest(const String& text, zt::win32::LPARAM detail);
    void FreePendingRequests();

    // The COM port inventories and their bookkeeping (com_ports.cpp). A scan, which does not
    // pump messages, keeps the serials of Ft232RList at hand so each lookup is cheap.
    void GetAvailableComPorts(TStringList& Ports, bool WithNames);
    std::int32_t GetAvailableComPortsEx();
    std::optional<std::int32_t> ScanComPorts();
    Ft232RSerials ListedFt232RSerials() const;
    void ApplyManufacturer(TZtComInfo& record, const String& manufacturer, Ft232RSerials& listed);
    void RecordFt232R(const TZtComInfo& record, Ft232RSerials& listed);

    // The new-COM-port inquiry (new_com_info.cpp).
    class NewPortScan;
    void GetNewComInfo(const String& port);
    // The port's details from one arrival name's answer, raised; whether there were any.
    bool ReportNewPort(const String& port, const String& arrivalName, const TStringList& lines);

    void CheckUSBasp();  // usbasp_check.cpp

    // Volumes (volumes.cpp). A new volume's request carries the unit mask of its broadcast.
    std::int32_t GetAvailableVolumens();
    void GetNewVolumenInfo(const String& text, std::uint32_t unitMask);

    TZtUsbDetector& FDetector;
    zt::win32::HWND FWindowHandle = nullptr;
    zt::win32::HDEVNOTIFY FNotification = nullptr;
    String FVersion;
    TStringList FLastArrivalAName;
    std::vector<TZtVolInfo> FZtVolInfo;  // the records of the last new-volume inquiry that found any
    std::int32_t FdiskCounter = 0;       // records of the last inventory
    // Request texts posted and not yet received: only these are read and freed.
    std::vector<char*> FPendingRequests;
    // Requests delivered while an inquiry pumps messages, run after it in delivery order, and
    // those that could not be posted, run after the message in hand.
    std::deque<std::pair<String, zt::win32::LPARAM>> FQueuedRequests;
    bool FInquiring = false;
    zt::host::Liveness FLiveness;
};

}  // namespace zt_usb_detector
