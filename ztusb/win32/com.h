#pragma once
// The COM and OLE Automation subset the WMI bindings call, in namespace zt::win32: the
// system's own on Windows; elsewhere win32/com_emu.cpp stands in, with no out-of-process
// servers and only the classes registered in this process.

#include <string>

#include "ztusb/export.h"
#include "ztusb/win32/api.h"

// A failure code written as the unsigned number it is usually quoted as.
#define ZT_HRESULT(code) static_cast<::zt::win32::HRESULT>(static_cast<::std::uint32_t>(code))

#ifdef _WIN32

#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>
#include <oleauto.h>

namespace zt::win32 {
using ::BSTR;
using ::CLSID;
using ::COSERVERINFO;
using ::DATE;
using ::DISPID;
using ::DISPPARAMS;
using ::EXCEPINFO;
using ::HRESULT;
using ::IClassFactory;
using ::IConnectionPoint;
using ::IConnectionPointContainer;
using ::IDispatch;
using ::IEnumConnectionPoints;
using ::IEnumConnections;
using ::IID;
using ::ITypeInfo;
using ::IUnknown;
using ::LCID;
using ::LONG;
using ::LPOLESTR;
using ::MULTI_QI;
using ::OLECHAR;
using ::ULONG;
using ::VARIANT;
using ::VARIANT_BOOL;
using ::VARIANTARG;
using ::VARTYPE;

using ::CoCreateInstance;
using ::CoCreateInstanceEx;
using ::CoRegisterClassObject;
using ::CoRevokeClassObject;
using ::GetActiveObject;
using ::SysAllocStringLen;
using ::SysFreeString;
using ::SysStringLen;
using ::VariantChangeType;
using ::VariantClear;
using ::VariantCopy;
using ::VariantCopyInd;
using ::VariantInit;
}  // namespace zt::win32

#else

#include "ztusb/win32/com_emu.h"

#endif

namespace zt::win32 {

// The identifiers of the system interfaces the package asks for by number.
inline constexpr GUID kIUnknownId{0x00000000, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr GUID kIClassFactoryId{0x00000001, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr GUID kIDispatchId{0x00020400, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr GUID kIConnectionPointContainerId{0xB196B284, 0xBAB4, 0x101A,
                                                   {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};

// The system's text for a COM failure code, empty when it has none.
ZT_API std::u16string ComErrorText(HRESULT code);

}  // namespace zt::win32
