#include <string_view>

#include "detector/zt_usb_detector.h"
#include "host/dialogs.h"

namespace zt_usb_detector {

void TZtUsbDetector::SplitStr(String Source, String Delimiter, TStringList& DelimitedList) {
    try {
        std::u16string_view rest(Source);
        rest = rest.substr(0, rest.find(u'\0'));
        DelimitedList.Clear();
        if (!Delimiter.empty()) {
            for (auto at = rest.find(Delimiter); at != std::u16string_view::npos;
                 at = rest.find(Delimiter)) {
                DelimitedList.Add(String(rest.substr(0, at)));
                rest.remove_prefix(at + Delimiter.size());
            }
        }
        DelimitedList.Add(String(rest));
    } catch (...) {
        zt::host::ShowMessage(u"Debug ERR #144");
    }
}

}  // namespace zt_usb_detector
