#pragma once
// The typed bindings of the WMI scripting library, for hosts that drive WMI themselves: the
// identifiers, one factory per coclass and the wrapper components.

#include "ztusb/wmi/wbem_factories.h"
#include "ztusb/wmi/wbem_scripting_ids.h"
#include "ztusb/wmi/wbem_wrappers.h"
