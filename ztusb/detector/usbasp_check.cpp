// Whether a USBasp programmer is attached, whenever the host asks.
#include "ztusb/detector/failure_message.h"
#include "ztusb/detector/usbasp_names.h"
#include "ztusb/detector/zt_usb_detector.h"
#include "ztusb/host/log_line.h"
#include "ztusb/wmi/ZtWmiU.h"

namespace zt_usb_detector {

void TZtUsbDetector::CheckUSBasp() {
    try {
        TStringList lines;
        if (!AskWmi(u"SELECT *  FROM Win32_PnPEntity WHERE Caption Like \"%USBASP%\"", lines)) return;
        // The maker's programmers carry its web domain as their serial, so in their device ID.
        const String text = zt::host::UpperCase(lines.Text());
        if (!zt::host::Contains(text, u"USBASP")) return;
        const bool maker =
            zt::host::Contains(text, zt::host::UpperCase(zt::host::FromAnsi(kMakerWebDomain)));
        DoUSBDetect(zt::host::FromAnsi(maker ? kMakerUsbaspName : kCloneUsbaspName), kUsbaspVendor,
                    kUsbaspProduct, 1);
    } catch (...) {
        // The check drops every failure, the handler's included; only the log hears of it.
        ZT_LOG(Warning, "scan") << "the USBasp check failed: " << CurrentFailure();
    }
}

}  // namespace zt_usb_detector
