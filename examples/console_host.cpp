// A small console host: creates the detector, sends it the broadcasts of an FTDI adapter
// and a USB stick coming and going, and prints every event.
#include <cstdio>
#include <string>

#include "ztusb/detector/zt_usb_detector.h"
#include "ztusb/host/application.h"
#include "ztusb/host/dialogs.h"
#include "ztusb/world/broadcast.h"
#include "ztusb/win32/windows_names.h"

namespace {

using zt::host::String;
using zt::host::ToUtf8;
using zt_usb_detector::GUID_DEVINTERFACE_USB_DEVICE;
using zt_usb_detector::TZtUsbDetector;

const char* Direction(std::int32_t inout) { return inout == 1 ? "arrived" : "left"; }

void Attach(TZtUsbDetector& detector) {
    detector.OnUsbDetect = [](zt::host::TObject*, const String& name, const String& vid,
                              const String& pid, std::int32_t inout) {
        std::printf("  USB device %s %s (%s %s)\n", ToUtf8(name).c_str(), Direction(inout),
                    ToUtf8(vid).c_str(), ToUtf8(pid).c_str());
    };
    detector.OnComDetect = [](zt::host::TObject*, const String& port, std::int32_t inout) {
        std::printf("  COM port %s %s\n", ToUtf8(port).c_str(), Direction(inout));
    };
    detector.OnVolumeDetect = [](zt::host::TObject*, const String& volume, std::int32_t inout) {
        std::printf("  Volume %s: %s\n", ToUtf8(volume).c_str(), Direction(inout));
    };
}

void Step(const char* title, std::uint32_t event, const zt::world::Record& record) {
    if (*title != '\0') std::printf("%s\n", title);
    zt::world::BroadcastDeviceChange(event, record);
    zt::host::ProcessMessages();  // delivers the detector's own requests
}

zt::world::Record UsbDevice(const std::u16string& name) {
    return zt::world::DeviceInterfaceRecord(name, GUID_DEVINTERFACE_USB_DEVICE);
}

}  // namespace

int main() {
    zt::host::SetShowMessageHandler(
        [](const String& text) { std::printf("  [message] %s\n", ToUtf8(text).c_str()); });
    TZtUsbDetector detector;
    Attach(detector);
    std::printf("TZtUsbDetector %s on the simulated world\n", ToUtf8(detector.Version()).c_str());

    const std::u16string ftdi = u"\\\\?\\USB#VID_0403&PID_6001#A50285BI#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
    const std::u16string stick = u"\\\\?\\USB#VID_0781&PID_5567#4C530001230417117364#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
    const std::u16string usbasp = u"\\\\?\\USB#VID_16C0&PID_05DC#www.vlx.example#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

    Step("FTDI adapter plugged in:", DBT_DEVICEARRIVAL, UsbDevice(ftdi));
    Step("", DBT_DEVICEARRIVAL, zt::world::PortRecord(u"COM5"));
    Step("USB stick plugged in:", DBT_DEVICEARRIVAL, UsbDevice(stick));
    Step("", DBT_DEVICEARRIVAL, zt::world::VolumeRecord(1u << 4));
    Step("USBasp programmer plugged in:", DBT_DEVICEARRIVAL, UsbDevice(usbasp));
    Step("USB stick pulled:", DBT_DEVICEREMOVECOMPLETE, zt::world::VolumeRecord(1u << 4));
    Step("", DBT_DEVICEREMOVECOMPLETE, UsbDevice(stick));
    Step("FTDI adapter pulled:", DBT_DEVICEREMOVECOMPLETE, zt::world::PortRecord(u"COM5"));
    Step("", DBT_DEVICEREMOVECOMPLETE, UsbDevice(ftdi));
    std::printf("Devices still listed: %d\n", detector.ArrivalNames().Count());
    return 0;
}
