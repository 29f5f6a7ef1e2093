#pragma once
// The WMI scripting interfaces and enumerations, in namespace zt::win32::wbem: the system's
// own on Windows, declared alike elsewhere.

#include "ztusb/win32/com.h"

#ifdef _WIN32

#include <wbemdisp.h>

namespace zt::win32::wbem {
using ::ISWbemLocator;
using ::ISWbemServices;
using ::ISWbemServicesEx;
using ::ISWbemObject;
using ::ISWbemObjectEx;
using ::ISWbemLastError;
using ::ISWbemObjectSet;
using ::ISWbemNamedValueSet;
using ::ISWbemNamedValue;
using ::ISWbemObjectPath;
using ::ISWbemProperty;
using ::ISWbemPropertySet;
using ::ISWbemQualifier;
using ::ISWbemQualifierSet;
using ::ISWbemMethod;
using ::ISWbemMethodSet;
using ::ISWbemSink;
using ::ISWbemEventSource;
using ::ISWbemSecurity;
using ::ISWbemPrivilege;
using ::ISWbemPrivilegeSet;
using ::ISWbemDateTime;
using ::ISWbemRefreshableItem;
using ::ISWbemRefresher;

using ::WbemChangeFlagEnum;
using enum ::WbemChangeFlagEnum;
using ::WbemFlagEnum;
using enum ::WbemFlagEnum;
using ::WbemQueryFlagEnum;
using enum ::WbemQueryFlagEnum;
using ::WbemTextFlagEnum;
using enum ::WbemTextFlagEnum;
using ::WbemTimeout;
using enum ::WbemTimeout;
using ::WbemComparisonFlagEnum;
using enum ::WbemComparisonFlagEnum;
using ::WbemCimtypeEnum;
using enum ::WbemCimtypeEnum;
using ::WbemErrorEnum;
using enum ::WbemErrorEnum;
using ::WbemAuthenticationLevelEnum;
using enum ::WbemAuthenticationLevelEnum;
using ::WbemImpersonationLevelEnum;
using enum ::WbemImpersonationLevelEnum;
using ::WbemPrivilegeEnum;
using enum ::WbemPrivilegeEnum;
using ::WbemObjectTextFormatEnum;
using enum ::WbemObjectTextFormatEnum;
using ::WbemConnectOptionsEnum;
using enum ::WbemConnectOptionsEnum;
}  // namespace zt::win32::wbem

#else

#include "ztusb/win32/wbem_scripting_emu.h"

#endif
