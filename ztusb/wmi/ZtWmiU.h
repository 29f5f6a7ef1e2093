#pragma once
// Unit ZtWmiU: runs WQL queries in the local root\cimv2 namespace and hands back the text of
// every result object; and the typed bindings of the WMI scripting library for hosts that
// drive WMI themselves (identifiers, factories, wrapper components).

#include <functional>
#include <optional>
#include <vector>

#include "ztusb/export.h"
#include "ztusb/host/string_list.h"
#include "ztusb/host/text.h"
#include "ztusb/wmi/wbem_factories.h"
#include "ztusb/wmi/wbem_scripting_ids.h"
#include "ztusb/wmi/wbem_wrappers.h"

namespace ZtWmiU {

using zt::host::String;
using zt::host::TStringList;

// Takes a query text and gives the object texts of its result in enumeration order, or
// nothing when the query fails.
using WmiBackend = std::function<std::optional<std::vector<String>>(const String& query)>;

// Installs a backend and returns the one it replaced. An empty backend restores the
// platform's own: WMI over COM on Windows; elsewhere none, so every query fails.
ZT_API WmiBackend SetWmiBackend(WmiBackend backend);

// Replaces the list's content with the lines of every result object's text (each object
// followed by CR LF). A failing query leaves the list exactly as it was and reports nothing.
ZT_API void DoWmiScript(const String& query, TStringList& list);

}  // namespace ZtWmiU
