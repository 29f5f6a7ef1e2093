#pragma once
// COM and OLE Automation as declared by the system headers, for systems without them.
// Layouts and member order follow the system's, so code written against these compiles
// unchanged on Windows.

#include <cstring>

#include "ztusb/export.h"
#include "ztusb/win32/api.h"

#define STDMETHODCALLTYPE

#define S_OK 0
#define S_FALSE 1
#define E_NOTIMPL ZT_HRESULT(0x80004001)
#define E_NOINTERFACE ZT_HRESULT(0x80004002)
#define E_POINTER ZT_HRESULT(0x80004003)
#define E_FAIL ZT_HRESULT(0x80004005)
#define E_OUTOFMEMORY ZT_HRESULT(0x8007000E)
#define E_INVALIDARG ZT_HRESULT(0x80070057)
#define DISP_E_MEMBERNOTFOUND ZT_HRESULT(0x80020003)
#define DISP_E_TYPEMISMATCH ZT_HRESULT(0x80020005)
#define DISP_E_UNKNOWNNAME ZT_HRESULT(0x80020006)
#define DISP_E_EXCEPTION ZT_HRESULT(0x80020009)
#define DISP_E_BADVARTYPE ZT_HRESULT(0x80020008)
#define DISP_E_BADPARAMCOUNT ZT_HRESULT(0x8002000E)
#define CLASS_E_NOAGGREGATION ZT_HRESULT(0x80040110)
#define REGDB_E_CLASSNOTREG ZT_HRESULT(0x80040154)
#define CONNECT_E_NOCONNECTION ZT_HRESULT(0x80040200)
#define CONNECT_E_CANNOTCONNECT ZT_HRESULT(0x80040202)
#define MK_E_UNAVAILABLE ZT_HRESULT(0x800401E3)
#define SUCCEEDED(hr) ((hr) >= 0)
#define FAILED(hr) ((hr) < 0)

#define CLSCTX_INPROC_SERVER 0x1
#define CLSCTX_LOCAL_SERVER 0x4
#define CLSCTX_REMOTE_SERVER 0x10
#define REGCLS_MULTIPLEUSE 1
#define LOCALE_USER_DEFAULT 0x0400

#define VT_EMPTY 0
#define VT_NULL 1
#define VT_I2 2
#define VT_I4 3
#define VT_R4 4
#define VT_R8 5
#define VT_DATE 7
#define VT_BSTR 8
#define VT_DISPATCH 9
#define VT_ERROR 10
#define VT_BOOL 11
#define VT_VARIANT 12
#define VT_UNKNOWN 13
#define VT_I1 16
#define VT_UI1 17
#define VT_UI2 18
#define VT_UI4 19
#define VT_I8 20
#define VT_UI8 21
#define VT_INT 22
#define VT_UINT 23
#define VT_ARRAY 0x2000
#define VT_BYREF 0x4000
#define VT_TYPEMASK 0xfff
#define VARIANT_TRUE static_cast<::zt::win32::VARIANT_BOOL>(-1)
#define VARIANT_FALSE static_cast<::zt::win32::VARIANT_BOOL>(0)

#define DISPATCH_METHOD 0x1
#define DISPATCH_PROPERTYGET 0x2
#define DISPATCH_PROPERTYPUT 0x4
#define DISPID_PROPERTYPUT (-3)
#define DISPID_UNKNOWN (-1)

namespace zt::win32 {

using HRESULT = LONG;
using ULONG = std::uint32_t;
using USHORT = std::uint16_t;
using SHORT = std::int16_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using LCID = DWORD;
using DISPID = LONG;
using OLECHAR = WCHAR;
using LPOLESTR = OLECHAR*;
using BSTR = OLECHAR*;
using VARTYPE = std::uint16_t;
using VARIANT_BOOL = SHORT;
using DATE = double;
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

inline bool operator==(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

struct ITypeInfo;
struct IDispatch;
struct IEnumConnections;
struct IEnumConnectionPoints;
struct IConnectionPoint;

struct IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;
};

struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONGLONG llVal;
        ULONGLONG ullVal;
        LONG lVal;
        ULONG ulVal;
        int intVal;
        unsigned uintVal;
        BYTE bVal;
        char cVal;
        SHORT iVal;
        USHORT uiVal;
        float fltVal;
        double dblVal;
        VARIANT_BOOL boolVal;
        HRESULT scode;
        DATE date;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        VARIANT* pvarVal;
        void* byref;
    };
};
using VARIANTARG = VARIANT;

struct DISPPARAMS {
    VARIANTARG* rgvarg;
    DISPID* rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
};

struct EXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    void* pvReserved;
    HRESULT(STDMETHODCALLTYPE* pfnDeferredFillIn)(EXCEPINFO*);
    HRESULT scode;
};

struct IDispatch : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames,
                                                    LCID lcid, DISPID* rgDispId) = 0;
    virtual HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                             DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                             EXCEPINFO* pExcepInfo, UINT* puArgErr) = 0;
};

struct IClassFactory : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) = 0;
    virtual HRESULT STDMETHODCALLTYPE LockServer(BOOL fLock) = 0;
};

struct IConnectionPointContainer : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** ppEnum) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) = 0;
};

struct IConnectionPoint : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* pIID) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** ppCPC) = 0;
    virtual HRESULT STDMETHODCALLTYPE Advise(IUnknown* pUnkSink, DWORD* pdwCookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwCookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** ppEnum) = 0;
};

struct COAUTHINFO;
struct COSERVERINFO {
    DWORD dwReserved1;
    LPWSTR pwszName;
    COAUTHINFO* pAuthInfo;
    DWORD dwReserved2;
};

struct MULTI_QI {
    const IID* pIID;
    IUnknown* pItf;
    HRESULT hr;
};

// Only classes registered in this process with CoRegisterClassObject can be created; a
// named machine is never reachable.
ZT_API HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid, void** ppv);
ZT_API HRESULT CoCreateInstanceEx(REFCLSID rclsid, IUnknown* punkOuter, DWORD dwClsCtx, COSERVERINFO* pServerInfo,
                                  DWORD dwCount, MULTI_QI* pResults);
ZT_API HRESULT CoRegisterClassObject(REFCLSID rclsid, IUnknown* pUnk, DWORD dwClsContext, DWORD flags,
                                     DWORD* lpdwRegister);
ZT_API HRESULT CoRevokeClassObject(DWORD dwRegister);
// There is no running object table: always MK_E_UNAVAILABLE.
ZT_API HRESULT GetActiveObject(REFCLSID rclsid, void* pvReserved, IUnknown** ppunk);

ZT_API BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui);
ZT_API void SysFreeString(BSTR bstrString);
ZT_API UINT SysStringLen(BSTR pbstr);

ZT_API void VariantInit(VARIANTARG* pvarg);
ZT_API HRESULT VariantClear(VARIANTARG* pvarg);
ZT_API HRESULT VariantCopy(VARIANTARG* pvargDest, VARIANTARG* pvargSrc);
ZT_API HRESULT VariantCopyInd(VARIANT* pvarDest, VARIANTARG* pvargSrc);
// Converts between the integer types, VT_R8, VT_BOOL, VT_EMPTY and VT_BSTR.
ZT_API HRESULT VariantChangeType(VARIANTARG* pvargDest, VARIANTARG* pvarSrc, USHORT wFlags, VARTYPE vt);

}  // namespace zt::win32
