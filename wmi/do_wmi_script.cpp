#include <utility>

#include "wmi/ZtWmiU.h"
#include "wmi/wmi_backend.h"

namespace ZtWmiU {
namespace {

WmiBackend& InstalledBackend() {
    static WmiBackend backend = PlatformWmiBackend();
    return backend;
}

}  // namespace

WmiBackend SetWmiBackend(WmiBackend backend) {
    if (!backend) backend = PlatformWmiBackend();
    return std::exchange(InstalledBackend(), std::move(backend));
}

void DoWmiScript(const String& query, TStringList& list) {
    try {
        const auto texts = InstalledBackend() ? InstalledBackend()(query) : std::nullopt;
        if (!texts) return;
        String result;
        for (const String& text : *texts) {
            result += text;
            result += u"\r\n";
        }
        list.SetText(result);
    } catch (...) {
        // A failing run is silent and leaves the list as it was.
    }
}

}  // namespace ZtWmiU
