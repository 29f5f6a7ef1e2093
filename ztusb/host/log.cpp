#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ztusb/host/application.h"
#include "ztusb/host/log_line.h"
#include "ztusb/host/shown_text.h"

namespace zt::host {
namespace {

struct Installed {
    std::shared_ptr<const LogHandler> handler;
    LogLevel level = LogLevel::Off;
    bool ours = false;  // the package's own writer, which frees no component
};

bool IsStandardErrorWriter(const LogHandler& handler) {
    const auto* target = handler.target<void (*)(const LogRecord&)>();
    return target != nullptr && *target == &LogToStandardError;
}

// The handler and its level change under the mutex; the level every log call checks is read
// without it.
struct LogState {
    std::mutex mutex;
    Installed host;
    Installed standardError = FromEnvironment();
    Installed current = standardError;
    std::atomic<int> threshold{static_cast<int>(current.level)};

    // Made once per process: a word that names no level is said once, and the log stays off.
    static Installed FromEnvironment() {
        const char* chosen = std::getenv("ZT_USB_LOG");
        const std::string_view word = chosen != nullptr ? chosen : "";
        const std::optional<LogLevel> level = LevelNamed(word);
        if (!level) {
            std::fprintf(stderr, "ztusb: ZT_USB_LOG=%s names no log level (off, error, warning, info or debug): the log stays off\n",
                         ShownText(word, 60).c_str());
            return {};
        }
        if (*level == LogLevel::Off) return {};
        return {std::make_shared<const LogHandler>(LogToStandardError), *level, true};
    }

    static std::optional<LogLevel> LevelNamed(std::string_view name) {
        std::string lower(name);
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
        if (lower.empty() || lower == "off" || lower == "none" || lower == "0") return LogLevel::Off;
        if (lower == "error") return LogLevel::Error;
        if (lower == "warning" || lower == "warn") return LogLevel::Warning;
        if (lower == "info") return LogLevel::Info;
        if (lower == "debug") return LogLevel::Debug;
        return std::nullopt;
    }
};

LogState& State() {
    static LogState state;
    return state;
}

const char* LevelWord(LogLevel level) {
    static const char* const words[] = {"off", "error", "warning", "info", "debug"};
    return words[static_cast<int>(level)];
}

// A handler that logs, or calls into the package which logs, would run itself again and
// again: what it logs on its own thread while it runs is dropped and counted instead.
thread_local bool handlerRunning = false;
thread_local unsigned long long droppedWhileRunning = 0;

void CallHandler(const LogHandler& handler, const LogRecord& record) {
    try {
        handler(record);
    } catch (...) {
        try {
            HandleException(nullptr);
        } catch (...) {
            // The host's exception handler failed as well: nothing is left to tell.
        }
    }
}

// Records that wait for the work in hand to end, at most kMostHeld of them.
struct HeldRecord {
    LogLevel level;
    std::string area;
    std::string text;
};
constexpr std::size_t kMostHeld = 1000;
thread_local int deferrals = 0;
// Made for the first record held and gone once they are handed over, so that no thread-local
// needs a destructor when its thread ends (MinGW's thread-locals corrupt the heap there).
thread_local std::vector<HeldRecord>* held = nullptr;
thread_local unsigned long long droppedWhileHeld = 0;

void Deliver(const LogRecord& record) {
    if (handlerRunning) {
        ++droppedWhileRunning;
        return;
    }
    Installed installed;
    {
        const std::lock_guard lock(State().mutex);
        if (record.level > State().current.level) return;
        installed = State().current;
    }
    if (!installed.handler) return;
    if (deferrals > 0 && !installed.ours) {
        if (held == nullptr) held = new std::vector<HeldRecord>;
        if (held->size() < kMostHeld) {
            held->push_back({record.level, std::string(record.area), std::string(record.text)});
        } else {
            ++droppedWhileHeld;
        }
        return;
    }
    const std::shared_ptr<const LogHandler>& handler = installed.handler;
    handlerRunning = true;
    CallHandler(*handler, record);
    if (droppedWhileRunning > 0) {
        char note[64];
        const int length = std::snprintf(note, sizeof note, "%llu records dropped while the handler ran",
                                         std::exchange(droppedWhileRunning, 0));
        CallHandler(*handler, {LogLevel::Warning, "log", {note, static_cast<std::size_t>(std::max(length, 0))}});
        droppedWhileRunning = 0;  // what the note itself made the handler log
    }
    handlerRunning = false;
}

void DeliverHeld() {
    if (held != nullptr) {
        const std::unique_ptr<std::vector<HeldRecord>> records(std::exchange(held, nullptr));
        for (const HeldRecord& record : *records) Deliver({record.level, record.area, record.text});
    }
    if (droppedWhileHeld > 0) {
        char note[96];
        const int length = std::snprintf(note, sizeof note, "%llu records dropped: more than %zu waited for the work in hand",
                                         std::exchange(droppedWhileHeld, 0), kMostHeld);
        Deliver({LogLevel::Warning, "log", {note, static_cast<std::size_t>(std::max(length, 0))}});
    }
}

}  // namespace

LogDeferral::LogDeferral() { ++deferrals; }

LogDeferral::~LogDeferral() {
    if (--deferrals == 0) DeliverHeld();
}

LogHandler SetLogHandler(LogHandler handler, LogLevel level) {
    LogState& state = State();
    const std::lock_guard lock(state.mutex);
    std::shared_ptr<const LogHandler> replaced = state.host.handler;
    if (handler) {
        const bool ours = IsStandardErrorWriter(handler);
        state.host = {std::make_shared<const LogHandler>(std::move(handler)), level, ours};
    } else {
        state.host = {};
    }
    state.current = state.host.handler ? state.host : state.standardError;
    state.threshold.store(static_cast<int>(state.current.level), std::memory_order_relaxed);
    return replaced ? *replaced : LogHandler{};
}

void LogToStandardError(const LogRecord& record) {
    char line[LogLine::kCapacity + 64];
    const int length = std::snprintf(line, sizeof line, "ztusb %s %.*s: %.*s\n", LevelWord(record.level),
                                     static_cast<int>(record.area.size()), record.area.data(),
                                     static_cast<int>(record.text.size()), record.text.data());
    // One write per line, so lines from several threads do not mix.
    std::fwrite(line, 1, std::min(static_cast<std::size_t>(std::max(length, 0)), sizeof line - 1), stderr);
}

bool LogEnabled(LogLevel level) {
    return static_cast<int>(level) <= State().threshold.load(std::memory_order_relaxed);
}

LogLine::~LogLine() {
    if (cut_) {
        constexpr std::string_view kCut = "...";  // Append always leaves room for it
        std::copy(kCut.begin(), kCut.end(), text_ + length_);
        length_ += kCut.size();
    }
    Deliver({level_, area_, {text_, length_}});
}

void LogLine::Append(std::string_view text) {
    const std::size_t room = kCapacity - 3 - length_;  // "..." always fits after a cut
    if (text.size() > room) {
        std::size_t kept = room;
        // Cut between characters, not inside one.
        while (kept > 0 && (static_cast<unsigned char>(text[kept]) & 0xC0) == 0x80) --kept;
        text = text.substr(0, kept);
        cut_ = true;
    }
    std::copy(text.begin(), text.end(), text_ + length_);
    length_ += text.size();
}

LogLine& LogLine::operator<<(const char* words) {
    if (!cut_) Append(words);
    return *this;
}

// Each unit shows as one byte at least, so no more units are shown than the line has room for.
LogLine& LogLine::operator<<(std::string_view text) {
    if (!cut_) Append(ShownText(text.substr(0, kCapacity)));
    return *this;
}

LogLine& LogLine::operator<<(std::u16string_view text) {
    if (!cut_) Append(ShownText(text.substr(0, kCapacity)));
    return *this;
}

LogLine& LogLine::operator<<(long long number) {
    char digits[24];
    const int length = std::snprintf(digits, sizeof digits, "%lld", number);
    return *this << static_cast<const char*>(length > 0 ? digits : "");
}

LogLine& LogLine::operator<<(unsigned long long number) {
    char digits[24];
    const int length = std::snprintf(digits, sizeof digits, "%llu", number);
    return *this << static_cast<const char*>(length > 0 ? digits : "");
}

LogLine& LogLine::operator<<(LogHex number) {
    char digits[24];
    const int length = std::snprintf(digits, sizeof digits, "0x%0*llX", number.digits,
                                     static_cast<unsigned long long>(number.value));
    return *this << static_cast<const char*>(length > 0 ? digits : "");
}

LogLine& LogLine::operator<<(std::chrono::steady_clock::duration elapsed) {
    char digits[32];
    const double ms = std::chrono::duration<double, std::milli>(elapsed).count();
    const int length = std::snprintf(digits, sizeof digits, "%.1f ms", ms);
    return *this << static_cast<const char*>(length > 0 ? digits : "");
}

}  // namespace zt::host
