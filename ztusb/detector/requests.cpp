// The request road: a request is posted to the component's own window as a heap copy of its
// text, delivered by the message loop after the message in hand, and routed to an inquiry.
#include <algorithm>
#include <array>
#include <stdexcept>

#include "ztusb/detector/failure_message.h"
#include "ztusb/detector/zt_usb_detector.h"
#include "ztusb/host/heap_strings.h"
#include "ztusb/host/log_line.h"

namespace zt_usb_detector {
namespace {

struct Route {
    const char16_t* keyword;
    void (*inquiry)(TZtUsbDetector& detector, const String& argument, zt::win32::LPARAM detail);
};

}  // namespace

void TZtUsbDetector::PostRequest(const AnsiString& text, zt::win32::LPARAM detail) {
    char* copy = zt::host::StrNew(text.c_str());
    FPendingRequests.push_back(copy);
    if (!zt::win32::PostMessageW(FWindowHandle, WM_DETECTOR_REQUEST,
                                 reinterpret_cast<zt::win32::WPARAM>(copy), detail)) {
        FPendingRequests.pop_back();
        zt::host::StrDispose(copy);
        ZT_LOG(Warning, "request") << "could not post " << std::string_view(text) << ": the window takes no messages";
        return;  // every caller returns after posting: the log's handler may have freed the component
    }
    ZT_LOG(Debug, "request") << "posted " << std::string_view(text);
}

// Another window or process can post the same number: only our own texts are read.
std::optional<AnsiString> TZtUsbDetector::TakeRequest(zt::win32::WPARAM heapText) {
    const auto found = std::find(FPendingRequests.begin(), FPendingRequests.end(),
                                 reinterpret_cast<char*>(heapText));
    if (found == FPendingRequests.end()) {
        ZT_LOG(Debug, "request") << "a request message the component did not post passed over";
        return std::nullopt;
    }
    char* copy = *found;
    FPendingRequests.erase(found);
    AnsiString text(copy);
    zt::host::StrDispose(copy);
    return text;
}

// An inquiry pumps messages, and a burst of arrivals would otherwise nest one inquiry in
// the pump of another until the stack runs out; queued, each runs after the one before.
void TZtUsbDetector::RunRequest(const String& text, zt::win32::LPARAM detail) {
    FQueuedRequests.emplace_back(text, detail);
    if (FRunningRequest) {
        ZT_LOG(Debug, "request") << "queued behind the running one: " << text;
        return;
    }
    FRunningRequest = true;
    while (!FQueuedRequests.empty()) {
        const auto request = std::move(FQueuedRequests.front());
        FQueuedRequests.pop_front();
        // The log's handler and the inquiry are both the host's code: either may free us.
        if (!CallOut([&] { ZT_LOG(Debug, "request") << "running " << request.first; })) return;
        if (!CallOut([&] { RouteRequest(request.first, request.second); })) {
            return;  // freed by the host: its queue went with it
        }
    }
    FRunningRequest = false;
}

void TZtUsbDetector::RouteRequest(const String& text, zt::win32::LPARAM detail) {
    static const std::array<Route, 2> routes = {{
        {u"DoNewVolInfo",
         [](TZtUsbDetector& detector, const String& argument, zt::win32::LPARAM unitMask) {
             detector.GetNewVolumenInfo(argument, static_cast<std::uint32_t>(unitMask));
         }},
        {u"DoNewComInfo", [](TZtUsbDetector& detector, const String& argument,
                             zt::win32::LPARAM) { detector.GetNewComInfo(argument); }},
    }};
    try {
        // Only the first colon separates: an argument such as a MAC-style serial keeps its own.
        const std::size_t colon = text.find(u':');
        const String keyword = text.substr(0, colon);
        const auto route = std::find_if(routes.begin(), routes.end(),
                                        [&](const Route& r) { return keyword == r.keyword; });
        if (route == routes.end()) {
            ZT_LOG(Warning, "request") << "no inquiry answers " << text;
            return;
        }
        if (colon == String::npos) throw std::invalid_argument("a request without its argument");
        route->inquiry(*this, text.substr(colon + 1), detail);
    } catch (...) {
        ShowFailureMessage(u"Debug ERR #133");
    }
}

void TZtUsbDetector::FreePendingRequests() {
    for (char* copy : FPendingRequests) zt::host::StrDispose(copy);
    FPendingRequests.clear();
}

}  // namespace zt_usb_detector
