#pragma once
// TZtUsbDetector: tells its host which USB devices come and go and what they are.
//
// The road of one broadcast: the system sends WM_DEVICECHANGE to the component's hidden
// window -> WndProc -> WMDeviceChange (device_change.cpp) raises OnComDetect, OnVolumeDetect
// or OnUsbDetect at once and, where WMI should be asked for details, posts
// WM_DETECTOR_REQUEST to its own window (requests.cpp) -> the message loop delivers it ->
// WndProc -> GetNewComInfo or GetNewVolumenInfo -> OnNewComInfo or OnNewVolInfo.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "ztusb/export.h"
#include "ztusb/host/classes.h"
#include "ztusb/host/string_list.h"
#include "ztusb/host/text.h"
#include "ztusb/host/window_binding.h"
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

class ZT_API TZtUsbDetector : public TComponent {
public:
    explicit TZtUsbDetector(TComponent* AOwner = nullptr);
    ~TZtUsbDetector() override;

    String Version() const;

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
    const TStringList& ArrivalNames() const;

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
    class Impl;  // the private state and steps: detector/component_impl.h
    std::unique_ptr<Impl> FImpl;
};

// Places TZtUsbDetector on the component palette, page "ORVEN".
ZT_API void Register();

}  // namespace zt_usb_detector
