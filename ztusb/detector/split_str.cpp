#include "ztusb/detector/failure_message.h"
#include "ztusb/detector/pieces.h"
#include "ztusb/detector/zt_usb_detector.h"

namespace zt_usb_detector {

void TZtUsbDetector::SplitStr(String Source, String Delimiter, TStringList& DelimitedList) {
    try {
        DelimitedList.Clear();
        Pieces pieces(Source, Delimiter);
        while (const auto piece = pieces.Next()) DelimitedList.Add(String(*piece));
    } catch (...) {
        ShowFailureMessage(u"Debug ERR #144");
    }
}

}  // namespace zt_usb_detector
