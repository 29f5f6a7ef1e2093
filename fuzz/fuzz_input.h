#pragma once
// What every fuzz target reads its input with: fixed-size numbers off the front, texts up to
// a separator, and WMI answers, so that the same bytes always drive the same run.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ztusb/host/application.h"
#include "ztusb/host/dialogs.h"
#include "ztusb/host/text.h"
#include "ztusb/wmi/ZtWmiU.h"

namespace zt::fuzz {

// Separators of the WMI answers in an input: one answer per query, in the order the
// queries come (cycling), the object texts of an answer apart.
constexpr char kAnswerSeparator = '\x1E';
constexpr char kObjectSeparator = '\x1F';
constexpr std::string_view kFailedAnswer = "!";  // an answer that fails the query

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : bytes_(data, size) {}

    bool Empty() const { return at_ == bytes_.size(); }

    // A little-endian number; missing bytes read as zero.
    template <typename Number>
    Number Take() {
        std::uint8_t raw[sizeof(Number)] = {};
        const std::size_t n = std::min(sizeof(Number), bytes_.size() - at_);
        std::memcpy(raw, bytes_.data() + at_, n);
        at_ += n;
        Number value{};
        for (std::size_t i = sizeof(Number); i-- > 0;) value = static_cast<Number>((value << 8) | raw[i]);
        return value;
    }

    // Bytes up to the separator (not included) or the end.
    std::span<const std::uint8_t> TakeUntil(std::uint8_t separator) {
        const std::size_t start = at_;
        while (at_ < bytes_.size() && bytes_[at_] != separator) ++at_;
        const std::span<const std::uint8_t> piece = bytes_.subspan(start, at_ - start);
        if (at_ < bytes_.size()) ++at_;
        return piece;
    }

    std::span<const std::uint8_t> TakeBytes(std::size_t count) {
        const std::size_t n = std::min(count, bytes_.size() - at_);
        const std::span<const std::uint8_t> piece = bytes_.subspan(at_, n);
        at_ += n;
        return piece;
    }

    std::span<const std::uint8_t> Rest() { return TakeBytes(bytes_.size() - at_); }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

inline std::string_view AsText(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// UTF-16 text from arbitrary bytes taken as UTF-8 (invalid sequences become U+FFFD).
inline host::String WideText(std::span<const std::uint8_t> bytes) {
    return host::FromUtf8(AsText(bytes));
}

// WMI answers taken from the input: query k gets answer k, queries past the last answer get
// no objects. Each answer serves one query, so a run's work grows with its input only: a
// walk whose answers were served again for every object it finds would multiply them.
class WmiAnswers {
public:
    explicit WmiAnswers(std::string_view text) {
        std::size_t start = 0;
        while (true) {
            const std::size_t end = text.find(kAnswerSeparator, start);
            answers_.push_back(Answer(text.substr(start, end - start)));
            if (end == std::string_view::npos) break;
            start = end + 1;
        }
    }

    // Answers for the package's queries, for the life of the object.
    ZtWmiU::WmiBackend Backend() {
        return [this](const host::String&) -> std::optional<std::vector<host::String>> {
            if (next_ == answers_.size()) return std::vector<host::String>{};
            return std::move(answers_[next_++]);
        };
    }

private:
    static std::optional<std::vector<host::String>> Answer(std::string_view text) {
        if (text == kFailedAnswer) return std::nullopt;
        std::vector<host::String> objects;
        std::size_t start = 0;
        while (start <= text.size()) {
            const std::size_t end = std::min(text.find(kObjectSeparator, start), text.size());
            if (end > start) objects.push_back(host::FromUtf8(text.substr(start, end - start)));
            start = end + 1;
        }
        return objects;
    }

    std::vector<std::optional<std::vector<host::String>>> answers_;
    std::size_t next_ = 0;
};

// Serves WMI from the input for one run and puts the previous backend back after.
class ServedAnswers {
public:
    explicit ServedAnswers(std::string_view text)
        : answers_(text), previous_(ZtWmiU::SetWmiBackend(answers_.Backend())) {}
    ~ServedAnswers() { ZtWmiU::SetWmiBackend(previous_); }
    ServedAnswers(const ServedAnswers&) = delete;
    ServedAnswers& operator=(const ServedAnswers&) = delete;

private:
    WmiAnswers answers_;
    ZtWmiU::WmiBackend previous_;
};

// A property every run must keep; a break is a finding like a crash.
inline void Require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "fuzz: broken: %s\n", what);
    std::abort();
}

// The component's message boxes go nowhere while fuzzing: a failure it reports is no finding.
inline void SilenceDialogs() {
    host::SetShowMessageHandler([](const host::String&) {});
    host::SetMessageDlgHandler([](const host::String&, host::TMsgDlgType, host::TMsgDlgButtons, int) {
        return host::mrOk;
    });
    host::SetExceptionHandler([](host::TObject*, std::exception_ptr) {});
}

}  // namespace zt::fuzz
