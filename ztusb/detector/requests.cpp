// The request road: a request is posted to the component's own window as a heap copy of its
// text, delivered by the message loop after the message in hand, and routed to an inquiry.
#include <algorithm>
#include <array>
#include <stdexcept>

#include "ztusb/detector/failure_message.h"
#include "ztusb/detector/component_impl.h"
#include "ztusb/host/heap_strings.h"
#include "ztusb/host/log_line.h"

namespace zt_usb_detector {

void TZtUsbDetector::Impl::PostRequest(const AnsiString& text, zt::win32::LPARAM detail) {
    char* copy = zt::host::StrNew(text.c_str());
    FPendingRequests.push_back(copy);
    if (!zt::win32::PostMessageW(FWindowHandle, WM_DETECTOR_REQUEST,
                                 reinterpret_cast<zt::win32::WPARAM>(copy), detail)) {
        FPendingRequests.pop_back();
        zt::host::StrDispose(copy);
        ZT_LOG(Warning, "request") << "could not post " << std::string_view(text) << " (error "
                                   << zt::win32::GetLastError() << "): it runs after the message in hand";
        FQueuedRequests.emplace_back(zt::host::FromAnsi(text), detail);
        return;
    }
    ZT_LOG(Debug, "request") << "posted " << std::string_view(text);
}

// Another window or process can post the same number: only our own texts are read.
std::optional<AnsiString> TZtUsbDetector::Impl::TakeRequest(zt::win32::WPARAM heapText) {
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

bool TZtUsbDetector::Impl::Inquire(const std::function<void()>& inquiry) {
    if (FInquiring) return CallOut(inquiry);  // a handler asked: the outer inquiry runs the queue
    FInquiring = true;
    if (!CallOut(inquiry) || !RunQueuedRequests()) return false;  // freed by the host: its queue went with it
    FInquiring = false;
    return true;
}

bool TZtUsbDetector::Impl::RunQueuedRequests() {
    while (!FQueuedRequests.empty()) {
        const auto request = std::move(FQueuedRequests.front());
        FQueuedRequests.pop_front();
        ZT_LOG(Debug, "request") << "running " << request.first;
        if (!CallOut([&] { RouteRequest(request.first, request.second); })) return false;
    }
    return true;
}

void TZtUsbDetector::Impl::RunRequest(const String& text, zt::win32::LPARAM detail) {
    if (FInquiring) {
        FQueuedRequests.emplace_back(text, detail);
        ZT_LOG(Debug, "request") << "queued behind the running inquiry: " << text;
        return;
    }
    ZT_LOG(Debug, "request") << "running " << text;
    static_cast<void>(Inquire([&] { RouteRequest(text, detail); }));  // nothing of the component follows
}

void TZtUsbDetector::Impl::RouteRequest(const String& text, zt::win32::LPARAM detail) {
    struct Route {
        const char16_t* keyword;
        void (*inquiry)(Impl& detector, const String& argument, zt::win32::LPARAM detail);
    };
    static const std::array<Route, 2> routes = {{
        {u"DoNewVolInfo",
         [](Impl& detector, const String& argument, zt::win32::LPARAM unitMask) {
             detector.GetNewVolumenInfo(argument, static_cast<std::uint32_t>(unitMask));
         }},
        {u"DoNewComInfo", [](Impl& detector, const String& argument,
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

void TZtUsbDetector::Impl::FreePendingRequests() {
    for (char* copy : FPendingRequests) zt::host::StrDispose(copy);
    FPendingRequests.clear();
}

}  // namespace zt_usb_detector
