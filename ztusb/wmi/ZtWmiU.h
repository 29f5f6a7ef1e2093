#pragma once
// Unit ZtWmiU: runs WQL queries in the local root\cimv2 namespace and hands back the text of
// every result object. The typed bindings of the WMI scripting library, for hosts that drive
// WMI themselves, are in wmi/wbem_bindings.h.

#include <functional>
#include <optional>
#include <vector>

#include "ztusb/export.h"
#include "ztusb/host/string_list.h"
#include "ztusb/host/text.h"

namespace ZtWmiU {

using zt::host::String;
using zt::host::TStringList;

// Takes a query text and gives the object texts of its result in enumeration order, or
// nothing when the query fails. It may throw instead: an EOleSysError for a query that failed
// with that code, anything else for an answer it could not read; the runner logs which.
using WmiBackend = std::function<std::optional<std::vector<String>>(const String& query)>;

// Installs a backend and returns the one it replaced (empty when that was the platform's).
// An empty backend restores the platform's own: WMI over COM on Windows; elsewhere this
// machine's devices where the package reads them through udev, and otherwise none, so
// every query fails. The backend is the process's: one world at a time.
ZT_API WmiBackend SetWmiBackend(WmiBackend backend);

// Replaces the list's content with the lines of every result object's text (each object
// followed by CR LF). A failing query leaves the list exactly as it was; the package's log
// tells a failed query, an empty answer and an unreadable one apart.
ZT_API void DoWmiScript(const String& query, TStringList& list);

}  // namespace ZtWmiU
