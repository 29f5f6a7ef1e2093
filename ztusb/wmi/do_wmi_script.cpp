#include <algorithm>
#include <chrono>
#include <cstdint>
#include <utility>

#include "ztusb/host/log_line.h"
#include "ztusb/wmi/ZtWmiU.h"
#include "ztusb/wmi/wmi_backend.h"

namespace ZtWmiU {
namespace {

using Clock = std::chrono::steady_clock;

WmiBackend& InstalledBackend() {
    static WmiBackend backend = PlatformWmiBackend();
    return backend;
}

bool& PlatformsInstalled() {
    static bool platforms = true;
    return platforms;
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

// WMI's own codes, which the system's message table does not know.
const char* WmiFailureText(std::uint32_t code) {
    switch (code) {
        case 0x80041001: return "WMI failure";
        case 0x80041002: return "object not found";
        case 0x80041003: return "access denied";
        case 0x80041006: return "out of memory";
        case 0x80041008: return "invalid parameter";
        case 0x80041010: return "invalid class";
        case 0x80041017: return "invalid query";
        case 0x80041018: return "invalid query language";
        case 0x8004100E: return "invalid namespace";
        case 0x80041032: return "call cancelled";
        case 0x80041033: return "WMI is shutting down";
        case 0x800401F0: return "COM is not initialised on this thread";
        default: return nullptr;
    }
}

// A failure code and what it means, for the log.
struct FailureCode {
    const zt::host::EOleSysError& failure;
};

zt::host::LogLine& operator<<(zt::host::LogLine& line, FailureCode code) {
    const auto value = static_cast<std::uint32_t>(code.failure.ErrorCode());
    const char* meaning = WmiFailureText(value);
    line << "HRESULT " << zt::host::LogHex{value} << " (";
    if (meaning != nullptr) return line << meaning << ")";
    return line << std::string_view(code.failure.what()) << ")";
}

// Splits the object texts into the list's lines: each object text is followed by a line
// break. Text by text: joining a large answer into one text first costs more than the split.
void SetLines(std::vector<String>& texts, TStringList& list) {
    TStringList lines;
    lines.SetCapacity(LineCount(texts));
    for (String& text : texts) {
        lines.AddLines(text);
        // The break ends the text's last line, or after a break is an empty line.
        if (text.empty() || text.back() == u'\r' || text.back() == u'\n') lines.Add(String());
        String().swap(text);  // its memory, still in the cache, takes the next text's lines
    }
    list = std::move(lines);
}

}  // namespace

// The platform's backend is given back as an empty one, so that putting it back is choosing
// the platform's again.
WmiBackend SetWmiBackend(WmiBackend backend) {
    const bool platforms = !backend;
    BackendChosen(platforms);
    if (platforms) backend = PlatformWmiBackend();
    WmiBackend replaced = std::exchange(InstalledBackend(), std::move(backend));
    if (std::exchange(PlatformsInstalled(), platforms)) return {};
    return replaced;
}

// A failed query, an empty answer and an unreadable one all leave no lines for the scans;
// the log tells them apart.
void DoWmiScript(const String& query, TStringList& list) {
    const Clock::time_point started =
        zt::host::LogEnabled(zt::host::LogLevel::Warning) ? Clock::now() : Clock::time_point{};
    try {
        if (!InstalledBackend()) {
            ZT_LOG(Warning, "wmi") << "query failed: no WMI backend is installed: " << query;
            return;
        }
        auto texts = InstalledBackend()(query);
        if (!texts) {
            ZT_LOG(Warning, "wmi") << "query failed after " << Clock::now() - started
                                   << ", the backend gave no answer: " << query;
            return;
        }
        const std::size_t objects = texts->size();
        SetLines(*texts, list);
        if (objects == 0) {
            ZT_LOG(Debug, "wmi") << "query gave an empty answer in " << Clock::now() - started << ": " << query;
        } else {
            ZT_LOG(Debug, "wmi") << "query answered " << objects << (objects == 1 ? " object in " : " objects in ")
                                 << Clock::now() - started
                                 << ": " << query;
        }
    } catch (const EUnreadableAnswer& failure) {
        ZT_LOG(Warning, "wmi") << "answer unreadable after " << Clock::now() - started << ", "
                               << FailureCode{failure} << ": " << query;
    } catch (const zt::host::EOleSysError& failure) {
        ZT_LOG(Warning, "wmi") << "query failed after " << Clock::now() - started << ", " << FailureCode{failure}
                               << ": " << query;
    } catch (const std::exception& failure) {
        ZT_LOG(Warning, "wmi") << "answer unreadable after " << Clock::now() - started << " ("
                               << std::string_view(failure.what()) << "): " << query;
    } catch (...) {
        ZT_LOG(Warning, "wmi") << "answer unreadable after " << Clock::now() - started << ": " << query;
    }
}

}  // namespace ZtWmiU
