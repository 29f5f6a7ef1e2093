#include <algorithm>
#include <cstdint>
#include <utility>

#include "ztusb/wmi/ZtWmiU.h"
#include "ztusb/wmi/wmi_backend.h"

namespace ZtWmiU {
namespace {

WmiBackend& InstalledBackend() {
    static WmiBackend backend = PlatformWmiBackend();
    return backend;
}

// At most the entries the texts make: each text's lines and the one its closing break may add.
int LineCount(const std::vector<String>& texts) {
    std::size_t count = 0;
    for (const String& text : texts) {
        for (std::size_t start = 0; start < text.size(); ++count) {
            start = zt::host::NextLineStart(text, zt::host::LineEnd(text, start));
        }
        ++count;
    }
    return static_cast<int>(std::min<std::size_t>(count, INT32_MAX));
}

}  // namespace

WmiBackend SetWmiBackend(WmiBackend backend) {
    if (!backend) backend = PlatformWmiBackend();
    return std::exchange(InstalledBackend(), std::move(backend));
}

void DoWmiScript(const String& query, TStringList& list) {
    try {
        auto texts = InstalledBackend() ? InstalledBackend()(query) : std::nullopt;
        if (!texts) return;
        // Each object text is followed by a line break. Split text by text: joining a large
        // answer into one text first costs more than the split itself.
        TStringList lines;
        lines.SetCapacity(LineCount(*texts));
        for (String& text : *texts) {
            lines.AddLines(text);
            // The break ends the text's last line, or after a break is an empty line.
            if (text.empty() || text.back() == u'\r' || text.back() == u'\n') lines.Add(String());
            String().swap(text);  // its memory, still in the cache, takes the next text's lines
        }
        list = std::move(lines);
    } catch (...) {
        // A failing run is silent and leaves the list as it was.
    }
}

}  // namespace ZtWmiU
