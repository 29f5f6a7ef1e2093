#pragma once
// TZtUsbDetector: tells its host which USB devices come and go and what they are.
//
// The road of one broadcast: the system sends WM_DEVICECHANGE to the component's hidden
// window -> WndProc -> WMDeviceChange (device_change.cpp) raises OnComDetect, OnVolumeDetect
// or OnUsbDetect at once and, where WMI should be asked for details, posts
// WM_DETECTOR_REQUEST to its own window (requests.cpp) -> the message loop delivers it ->
// WndProc -> GetNewComInfo or GetNewVolumenInfo -> OnNewComInfo or OnNewVolInfo.

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <unordered_set>
#include <vector>

#include "ztusb/export.h"
#include "ztusb/host/classes.h"
#include "ztusb/host/liveness.h"
#include "ztusb/host/string_list.h"
#include "ztusb/host/text.h"
#include "ztusb/host/window_binding.h"
#include "ztusb/win32/api.h"
#include "ztusb/win32/broadcast_records.h"

namespace zt_usb_detector {

using zt::host::AnsiString;
using zt::host::String;
using zt::host::TComponent;
using zt::host::TMessage;
using zt::host::TObject;
using zt::host::TStringList;

using zt::win32::DEV_BROADCAST_DEVICEINTERFACE;
using zt::win32::DEV_BROADCAST_HDR;
using zt::win32::GUID_DEVINTERFACE_USB_DEVICE;
using zt::win32::PDEV_BROADCAST_PORT;
using zt::win32::PDEV_BROADCAST_VOLUME;
using zt::win32::PDevBroadcastDeviceInterface;
using zt::win32::PDevBroadcastHdr;
using zt::win32::PmDevBroadcastHdr;
using zt::win32::TDEV_BROADCAST_PORT;
using zt::win32::TDEV_BROADCAST_VOLUME;
using zt::win32::TmDevBroadcastHdr;

// One COM port.
struct TZtComInfo {
    String sPort;            // e.g. COM7
    std::int32_t iPort = 0;  // the number after "COM"; 0 when it is not a number
    String PortType;         // the device's description, or "Bluetooth"
    String VID;              // e.g. VID_0403; may be empty
    String PID;              // e.g. PID_6001; may be empty
    String Serial;
    String Manufacturer;
    String Chip;  // "FT232R" for VID_0403 with PID_6001
};

// One FT232R port the component has seen: the same fields as a COM port.
using TFT232RLIST = TZtComInfo;

// One volume of a removable disk drive.
struct TZtVolInfo {
    String DeviceID;              // e.g. E:
    std::int64_t FreeSpace = 0;   // bytes; -1 when the reported text is not a number
    String FileSystem;
    std::int64_t Size = 0;        // bytes; -1 when the reported text is not a number
    String VolName;
    String VolSerial;
    String FulName;               // the caption of the drive that holds the volume
    String PNPDeviceID;           // identifies the USB device behind the drive
};
using PZtVolInfo = TZtVolInfo*;

// inout is 1 for an arrival and 0 for a removal. Info events get a copy of the array, and
// only its first count records describe what the inquiry found.
using TOnComDetect = std::function<void(TObject* Sender, const String& ComPort, std::int32_t inout)>;
using TOnVolumeDetect =
    std::function<void(TObject* Sender, const String& Volume, std::int32_t inout)>;
using TOnUSBDetect = std::function<void(TObject* Sender, const String& UsbName, const String& vid,
                                        const String& pid, std::int32_t inout)>;
using TOnNewVolInfo =
    std::function<void(TObject* Sender, std::vector<TZtVolInfo> ZtVolInfo, std::int32_t count)>;
using TOnNewComInfo =
    std::function<void(TObject* Sender, std::vector<TZtComInfo> ZtComInfo, std::int32_t count)>;

// The component's private request: WParam is a StrNew copy of "DoNewComInfo:<port>" or
// "DoNewVolInfo:<arrival name>", freed by the receiver; for a new volume, LParam is the unit
// mask of its broadcast.
constexpr zt::win32::UINT WM_DETECTOR_REQUEST = 0x2B11;

// Message records for hosts; the component's own routing does not use them.
struct TWMMYMessage {
    std::uint32_t Msg;
    zt::win32::HWND Handle;
    std::int32_t Info;
    std::int32_t Result;
};

struct TUserHandleMessage {
    std::uint32_t Msg;
    const char16_t* Message;
    std::int32_t Length;
    std::int32_t Result;
};

class Ft232RSerials;

class ZT_API TZtUsbDetector : public TComponent {
public:
    explicit TZtUsbDetector(TComponent* AOwner = nullptr);
    ~TZtUsbDetector() override;

    String Version() const { return FVersion; }

    TOnComDetect OnComDetect;
    TOnVolumeDetect OnVolumeDetect;
    TOnUSBDetect OnUsbDetect;
    TOnNewVolInfo OnNewVolInfo;
    TOnNewComInfo OnNewComInfo;

    // The COM ports of the registry's serial-port map, sorted; each entry's object slot holds
    // the port number. With names, a type text follows the padded port name.
    void GetAvailableComPorts(TStringList& Ports, bool WithNames);
    // The COM ports WMI knows, into ZtComInfo; FT232R ports are added to Ft232RList.
    // Returns the number of records.
    std::int32_t GetAvailableComPortsEx();
    // Raises OnUsbDetect once when a USBasp programmer is attached.
    void CheckUSBasp();
    // The volumes of removable and external disk drives, into ZtAllVolInfo. Returns their
    // number.
    std::int32_t GetAvailableVolumens();

    // Replaces the list's content with the pieces of Source between occurrences of Delimiter
    // (case-sensitive, empty pieces kept, at least one piece; Source ends at its first NUL).
    static void SplitStr(String Source, String Delimiter, TStringList& DelimitedList);

    // The names of USB device interfaces that arrived and have not left, oldest first.
    const TStringList& ArrivalNames() const { return *FLastArrivalAName; }

    // Raise the events; each does nothing while its handler is unassigned.
    void DoComDetect(const String& ComPort, std::int32_t inout);
    void DoVolumeDetect(const String& Volume, std::int32_t inout);
    void DoUSBDetect(const String& UsbName, const String& vid, const String& pid,
                     std::int32_t inout);
    void DoNewComInfo(const std::vector<TZtComInfo>& ZtComInfo, std::int32_t count);
    void DoNewVolInfo(const std::vector<TZtVolInfo>& ZtVolInfo, std::int32_t count);

    AnsiString ComPort;  // the port of the latest port broadcast
    std::vector<TZtVolInfo> ZtAllVolInfo;
    std::vector<TZtComInfo> ZtComInfo;
    std::vector<TFT232RLIST> Ft232RList;
    std::int32_t Ft232Rcount = 0;  // always the size of Ft232RList

protected:
    // Decodes one WM_DEVICECHANGE: Message.WParam is the event, Message.LParam the record.
    virtual void WMDeviceChange(TMessage& Message);

private:
    // The host's code may free the component whenever the component calls it: a handler,
    // the message pump, a message box, a WMI call (an outgoing COM call from the host's
    // apartment pumps messages on Windows). Such a call that something of the component
    // follows goes through CallOut, which says whether the component outlived it; once it
    // says no, return at once. Work done on the component's behalf, such as a walk of many
    // WMI queries, stops when the watch says the component is gone.
    template <typename Call>
    [[nodiscard]] bool CallOut(Call&& call) const {
        return FLiveness.Survives(std::forward<Call>(call));
    }
    zt::host::Liveness::Watch Alive() const { return FLiveness.Observe(); }
    // The query's object texts into lines, through CallOut.
    [[nodiscard]] bool AskWmi(const String& query, TStringList& lines) const;

    void WndProc(TMessage& Message);
    bool USBRegister();
    void DeallocateHWnd(zt::win32::HWND Wnd);

    // Device-change steps (device_change.cpp).
    void PortChanged(const String& portName, std::int32_t inout);
    void VolumeChanged(std::uint32_t unitMask, std::int32_t inout);
    void DeviceInterfaceChanged(const String& interfaceName, std::int32_t inout);
    void RemoveFt232RPort(const String& portName);
    // The entries of Ft232RList that Ft232Rcount counts, never more than the list holds.
    std::size_t ListedFt232RCount() const {
        return std::min(static_cast<std::size_t>(std::max(Ft232Rcount, 0)), Ft232RList.size());
    }

    // The request road (requests.cpp).
    void PostRequest(const AnsiString& text, zt::win32::LPARAM detail = 0);
    std::optional<AnsiString> TakeRequest(zt::win32::WPARAM heapText);
    // Runs a delivered request, or queues it behind the one whose inquiry is pumping.
    void RunRequest(const String& text, zt::win32::LPARAM detail);
    void RouteRequest(const String& text, zt::win32::LPARAM detail);
    void FreePendingRequests();

    // COM port bookkeeping shared by the inquiries (com_ports.cpp). A scan, which does not
    // pump messages, keeps the serials of Ft232RList at hand so each lookup is cheap.
    Ft232RSerials ListedFt232RSerials() const;
    void ApplyManufacturer(TZtComInfo& record, const String& manufacturer, Ft232RSerials& listed);
    void RecordFt232R(const TZtComInfo& record, Ft232RSerials& listed);

    // Inquiries that requests lead to. A new volume's request carries the unit mask of its
    // broadcast.
    class NewPortScan;
    void GetNewComInfo(const String& port);
    // The port's details from one arrival name's answer, raised; whether there were any.
    bool ReportNewPort(const String& port, const String& arrivalName, const TStringList& lines);
    void GetNewVolumenInfo(const String& text, std::uint32_t unitMask);

    zt::win32::HWND FWindowHandle = nullptr;
    zt::win32::HDEVNOTIFY FNotification = nullptr;
    String FVersion;
    std::unique_ptr<TStringList> FLastArrivalAName;
    std::vector<TZtVolInfo> FZtVolInfo;  // the records of the last new-volume inquiry that found any
    std::int32_t FdiskCounter = 0;       // records of the last inventory
    // Request texts posted and not yet received: only these are read and freed.
    std::vector<char*> FPendingRequests;
    // Requests delivered while an inquiry pumps messages, run after it in delivery order.
    std::deque<std::pair<String, zt::win32::LPARAM>> FQueuedRequests;
    bool FRunningRequest = false;
    zt::host::Liveness FLiveness;
};

// Places TZtUsbDetector on the component palette, page "ORVEN".
ZT_API void Register();

}  // namespace zt_usb_detector
