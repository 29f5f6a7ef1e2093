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
        // Each object text is followed by a line break. Split text by text: joining a large
        // answer into one text first costs more than the split itself.
        TStringList lines;
        for (const String& text : *texts) {
            lines.AddLines(text);
            // The break ends the text's last line, or after a break is an empty line.
            if (text.empty() || text.back() == u'\r' || text.back() == u'\n') lines.Add(String());
        }
        list = std::move(lines);
    } catch (...) {
        // A failing run is silent and leaves the list as it was.
    }
}

}  // namespace ZtWmiU
