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
        // Sized once: growing a large text step by step costs more than the copy.
        std::size_t size = 0;
        for (const String& text : *texts) size += text.size() + 2;
        String result;
        result.reserve(size);
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
