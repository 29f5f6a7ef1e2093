#pragma once
// Calls into the D2XX library, loaded on first use, with the unit's error report.

#include <string>

#include "ztusb/d2xx/d2xx_api.h"

namespace D2XXUnit_ZT::detail {

// Where the library writes what the unit passes on: a transfer's count, and one device's
// texts at the length the library may give them, before they go into shorter fields.
inline d2xx::DWORD transferred = 0;
inline char serialText[d2xx::FT_MAX_TEXT] = {};
inline char descriptionText[d2xx::FT_MAX_TEXT] = {};

// The library's entry point, or null when the library or the entry point is missing;
// `problem` then says which. The generic function type converts to any entry's type.
using AnyFunction = void (*)();
AnyFunction ResolveEntry(const char* name, std::string& problem);

// Reports like Report_USB_Device_Error, with a note appended to the message when given.
void Report(const char* label, d2xx::FT_STATUS status, const std::string& note);

template <typename Entry>
struct Resolved {
    Resolved() : function(reinterpret_cast<typename Entry::type>(ResolveEntry(Entry::name, problem))) {}
    std::string problem;
    typename Entry::type function;
};

// Each entry point is resolved once, on its first call.
template <typename Entry>
const Resolved<Entry>& EntryOf() {
    static const Resolved<Entry> entry;
    return entry;
}

// Tells the package's log of a call that failed, with the entry's problem when it has one.
void LogFailedCall(const char* name, d2xx::FT_STATUS status, const std::string& problem);

// One library call without a report; a failure goes to the log.
template <typename Entry, typename... Args>
d2xx::FT_STATUS Invoke(Args... args) {
    const auto function = EntryOf<Entry>().function;
    const d2xx::FT_STATUS status = function != nullptr ? function(args...) : d2xx::FT_LIBRARY_MISSING;
    if (status != d2xx::FT_OK) LogFailedCall(Entry::name, status, EntryOf<Entry>().problem);
    return status;
}

// One library call whose failing status is reported with the label.
template <typename Entry, typename... Args>
d2xx::FT_STATUS Call(const char* label, Args... args) {
    const d2xx::FT_STATUS status = Invoke<Entry>(args...);
    if (status != d2xx::FT_OK) Report(label, status, EntryOf<Entry>().problem);
    return status;
}

}  // namespace D2XXUnit_ZT::detail
