#pragma once
// Writing the log: ZT_LOG(Debug, "wmi") << "query " << text; builds and hands on the line
// only when the level is on, so a log that is off formats nothing.

#include <chrono>
#include <cstdint>
#include <string_view>

#include "ztusb/host/log.h"

namespace zt::host {

ZT_API bool LogEnabled(LogLevel level);

// A number written as 0x followed by `digits` hexadecimal digits.
struct LogHex {
    std::uint64_t value;
    int digits = 8;
};

// One line in a fixed buffer: a line longer than the buffer is cut, so a log call never
// allocates in proportion to its input. Text given as 8-bit or UTF-16 strings comes from
// devices and the host and is shown safely; string literals are the package's own words.
class ZT_API LogLine {
public:
    LogLine(LogLevel level, std::string_view area) : level_(level), area_(area) {}
    LogLine(const LogLine&) = delete;
    LogLine& operator=(const LogLine&) = delete;
    ~LogLine();

    LogLine& operator<<(const char* words);
    LogLine& operator<<(std::string_view text);
    LogLine& operator<<(std::u16string_view text);
    LogLine& operator<<(long long number);
    LogLine& operator<<(unsigned long long number);
    LogLine& operator<<(int number) { return *this << static_cast<long long>(number); }
    LogLine& operator<<(long number) { return *this << static_cast<long long>(number); }
    LogLine& operator<<(unsigned number) { return *this << static_cast<unsigned long long>(number); }
    LogLine& operator<<(unsigned long number) { return *this << static_cast<unsigned long long>(number); }
    LogLine& operator<<(LogHex number);
    LogLine& operator<<(std::chrono::steady_clock::duration elapsed);

    // The line as an lvalue, so that operators of other types can add to it.
    LogLine& Stream() { return *this; }

    static constexpr std::size_t kCapacity = 1024;

private:
    void Append(std::string_view text);

    LogLevel level_;
    std::string_view area_;
    char text_[kCapacity];
    std::size_t length_ = 0;
    bool cut_ = false;
};

// While one lives on a thread, the records logged there wait, and reach the handler when the
// last one ends. The component's work holds its records so: the host's handler, which may free
// the component, then runs when nothing of the component is left to do. The package's own
// writer to standard error frees nothing and writes at once.
class ZT_API LogDeferral {
public:
    LogDeferral();
    ~LogDeferral();
    LogDeferral(const LogDeferral&) = delete;
    LogDeferral& operator=(const LogDeferral&) = delete;
};

}  // namespace zt::host

// The if/else shape lets the line end in its own `<<` chain and keeps a dangling else safe.
#define ZT_LOG(level, area)                                             \
    if (!::zt::host::LogEnabled(::zt::host::LogLevel::level)) {        \
    } else                                                              \
        ::zt::host::LogLine(::zt::host::LogLevel::level, area).Stream()
