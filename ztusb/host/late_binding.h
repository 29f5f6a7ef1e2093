#pragma once
// Members reached by name through IDispatch, for those a typed call cannot serve.

#include "ztusb/export.h"
#include "ztusb/host/ole_variant.h"
#include "ztusb/win32/com.h"

namespace zt::host {

// Puts the property with one argument; a failure raises EOleSysError.
ZT_API void SetDispatchProperty(win32::IDispatch* object, const String& name, const OleVariant& value);

// Reads the property (or calls the member) with no arguments; a failure raises EOleSysError.
ZT_API OleVariant GetDispatchProperty(win32::IDispatch* object, const String& name);

}  // namespace zt::host
