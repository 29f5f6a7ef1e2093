#pragma once
// The package's log: what it did and why a result is what it is (a failed query beside an
// empty one, a skipped object, a library's status). Off by default and then costs a level
// check. The host installs a handler, or sets ZT_USB_LOG (error, warning, info, debug) to get
// the log on standard error; another word is said once on standard error, and the log stays off.

#include <functional>
#include <string_view>

#include "ztusb/export.h"

namespace zt::host {

enum class LogLevel { Off, Error, Warning, Info, Debug };

// One line of the log. `area` names the part that wrote it (device, request, wmi, scan,
// d2xx, registry, message); text from devices in `text` is already made safe to show. Both
// views live only while the handler runs.
struct LogRecord {
    LogLevel level;
    std::string_view area;
    std::string_view text;
};

// Called on the thread that logs, possibly on several threads at once. While it runs, what
// the package logs on that thread (the handler calling into the package) is dropped and
// counted; what it throws goes to the host's exception handler.
using LogHandler = std::function<void(const LogRecord& record)>;

// Installs a handler for the records up to `level` and returns the one it replaced. An empty
// handler restores the default: standard error at ZT_USB_LOG's level, or nothing.
ZT_API LogHandler SetLogHandler(LogHandler handler, LogLevel level = LogLevel::Debug);

// Writes each record as one line on standard error: "ztusb <level> <area>: <text>".
ZT_API void LogToStandardError(const LogRecord& record);

}  // namespace zt::host
