// Whether a USBasp programmer is attached, whenever the host asks.
#include <optional>

#include "ztusb/detector/component_impl.h"
#include "ztusb/detector/failure_message.h"
#include "ztusb/detector/usbasp_names.h"
#include "ztusb/host/application.h"
#include "ztusb/host/log_line.h"
#include "ztusb/wmi/ZtWmiU.h"

namespace zt_usb_detector {
namespace {

// The programmer's name when the answer holds one. The maker's programmers carry its web
// domain as their serial, so in their device ID.
std::optional<String> UsbaspNamed(const TStringList& lines) {
    const String text = zt::host::UpperCase(lines.Text());
    if (!zt::host::Contains(text, u"USBASP")) return std::nullopt;
    const bool maker = zt::host::Contains(text, zt::host::UpperCase(zt::host::FromAnsi(kMakerWebDomain)));
    return zt::host::FromAnsi(maker ? kMakerUsbaspName : kCloneUsbaspName);
}

}  // namespace

void TZtUsbDetector::Impl::CheckUSBasp() {
    std::optional<String> name;
    const bool alive = Inquire([&] {
        TStringList lines;
        if (!AskWmi(u"SELECT *  FROM Win32_PnPEntity WHERE Caption Like \"%USBASP%\"", lines)) return;
        try {
            name = UsbaspNamed(lines);
        } catch (...) {
            // The check's own failures are dropped; only the log hears of them.
            ZT_LOG(Warning, "scan") << "the USBasp check failed: " << CurrentFailure();
        }
    });
    if (!alive || !name) return;
    TObject* const sender = &FDetector;
    try {
        FDetector.DoUSBDetect(*name, kUsbaspVendor, kUsbaspProduct, 1);
    } catch (...) {
        zt::host::HandleException(sender);  // the handler's failure is the host's, as for every event
    }
}

}  // namespace zt_usb_detector
