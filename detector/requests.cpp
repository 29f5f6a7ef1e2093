// The request road: a request is posted to the component's own window as a heap copy of its
// text, delivered by the message loop after the message in hand, and routed to an inquiry.
#include <algorithm>
#include <array>

#include "detector/zt_usb_detector.h"
#include "host/dialogs.h"
#include "host/heap_strings.h"

namespace zt_usb_detector {
namespace {

struct Route {
    const char16_t* keyword;
    void (TZtUsbDetector::*inquiry)(const String&);
};

}  // namespace

void TZtUsbDetector::PostRequest(const AnsiString& text) {
    char* copy = zt::host::StrNew(text.c_str());
    FPendingRequests.push_back(copy);
    if (!zt::win32::PostMessageW(FWindowHandle, WM_DETECTOR_REQUEST,
                                 reinterpret_cast<zt::win32::WPARAM>(copy), 0)) {
        FPendingRequests.pop_back();
        zt::host::StrDispose(copy);
    }
}

// Another window or process can post the same number: only our own texts are read.
std::optional<AnsiString> TZtUsbDetector::TakeRequest(zt::win32::WPARAM heapText) {
    const auto found = std::find(FPendingRequests.begin(), FPendingRequests.end(),
                                 reinterpret_cast<char*>(heapText));
    if (found == FPendingRequests.end()) return std::nullopt;
    char* copy = *found;
    FPendingRequests.erase(found);
    AnsiString text(copy);
    zt::host::StrDispose(copy);
    return text;
}

void TZtUsbDetector::RunRequest(const String& text) {
    static const std::array<Route, 2> routes = {{
        {u"DoNewVolInfo", &TZtUsbDetector::GetNewVolumenInfo},
        {u"DoNewComInfo", &TZtUsbDetector::GetNewComInfo},
    }};
    TStringList pieces;
    try {
        SplitStr(text, u":", pieces);
        const auto route = std::find_if(routes.begin(), routes.end(),
                                        [&](const Route& r) { return pieces[0] == r.keyword; });
        // Piece 1 is read only for a keyword: without the colon, that fails and is reported.
        if (route != routes.end()) (this->*route->inquiry)(pieces[1]);
    } catch (...) {
        zt::host::ShowMessage(u"Debug ERR #133");
    }
}

void TZtUsbDetector::FreePendingRequests() {
    for (char* copy : FPendingRequests) zt::host::StrDispose(copy);
    FPendingRequests.clear();
}

}  // namespace zt_usb_detector
