#include "detector/zt_usb_detector.h"

namespace zt_usb_detector {

// The new-COM-port inquiry asks WMI, which arrives with the WMI unit; until then a request
// for it finds nothing and raises nothing.
void TZtUsbDetector::GetNewComInfo(const String&) {}

}  // namespace zt_usb_detector
