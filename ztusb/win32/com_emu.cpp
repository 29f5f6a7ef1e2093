// COM without a system behind it: class objects registered in this process, BSTRs with a
// length prefix, and the variant conversions the bindings need.
#include <charconv>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

#include "ztusb/win32/com.h"

namespace zt::win32 {
namespace {

// HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE): no other machine is reachable from here.
const HRESULT kServerUnavailable = ZT_HRESULT(0x800706BA);

struct ClassObject {
    GUID classId;
    IUnknown* object;
};

struct ClassTable {
    std::mutex lock;
    std::map<DWORD, ClassObject> byCookie;
    DWORD nextCookie = 1;
};

ClassTable& Classes() {
    static ClassTable table;
    return table;
}

// Holds a new reference to the registered class object, or null.
IUnknown* FindClassObject(REFCLSID classId) {
    ClassTable& table = Classes();
    std::lock_guard guard(table.lock);
    for (auto& [cookie, entry] : table.byCookie) {
        if (entry.classId == classId) {
            entry.object->AddRef();
            return entry.object;
        }
    }
    return nullptr;
}

HRESULT CreateLocal(REFCLSID classId, IUnknown* outer, REFIID interfaceId, void** result) {
    IUnknown* classObject = FindClassObject(classId);
    if (classObject == nullptr) return REGDB_E_CLASSNOTREG;
    IClassFactory* factory = nullptr;
    HRESULT status = classObject->QueryInterface(kIClassFactoryId, reinterpret_cast<void**>(&factory));
    classObject->Release();
    if (FAILED(status)) return status;
    status = factory->CreateInstance(outer, interfaceId, result);
    factory->Release();
    return status;
}

// The size of the value a VT_BYREF variant of this type points at; 0 for types not held here.
std::size_t ByRefSize(VARTYPE type) {
    switch (type) {
        case VT_I1: case VT_UI1: return 1;
        case VT_I2: case VT_UI2: case VT_BOOL: return 2;
        case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: case VT_ERROR: case VT_R4: return 4;
        case VT_I8: case VT_UI8: case VT_R8: case VT_DATE: return 8;
        case VT_BSTR: case VT_UNKNOWN: case VT_DISPATCH: return sizeof(void*);
        default: return 0;
    }
}

bool NamesOtherMachine(const COSERVERINFO* server) {
    return server != nullptr && server->pwszName != nullptr && server->pwszName[0] != 0;
}

std::string Narrow(BSTR text) {
    std::string narrow;
    for (UINT i = 0; i < SysStringLen(text); ++i) {
        if (text[i] > 0x7f) return {};  // no digit outside ASCII
        narrow += static_cast<char>(text[i]);
    }
    return narrow;
}

BSTR Widen(const std::string& text) {
    const std::u16string wide(text.begin(), text.end());
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

bool IsInteger(VARTYPE type) {
    switch (type) {
        case VT_I1: case VT_I2: case VT_I4: case VT_I8: case VT_INT:
        case VT_UI1: case VT_UI2: case VT_UI4: case VT_UI8: case VT_UINT:
            return true;
        default:
            return false;
    }
}

LONGLONG IntegerOf(const VARIANT& value) {
    switch (value.vt) {
        case VT_I1: return value.cVal;
        case VT_I2: return value.iVal;
        case VT_I4: case VT_INT: return value.lVal;
        case VT_I8: return value.llVal;
        case VT_UI1: return value.bVal;
        case VT_UI2: return value.uiVal;
        case VT_UI4: case VT_UINT: return value.ulVal;
        default: return static_cast<LONGLONG>(value.ullVal);
    }
}

// The value as a 64-bit integer, or a failure code.
HRESULT ToInteger(const VARIANT& value, LONGLONG& result) {
    if (IsInteger(value.vt)) {
        result = IntegerOf(value);
    } else if (value.vt == VT_EMPTY) {
        result = 0;
    } else if (value.vt == VT_BOOL) {
        result = value.boolVal;
    } else if (value.vt == VT_R8) {
        if (!(value.dblVal > -9.3e18 && value.dblVal < 9.3e18)) return ZT_HRESULT(0x8002000A);
        result = static_cast<LONGLONG>(value.dblVal < 0 ? value.dblVal - 0.5 : value.dblVal + 0.5);
    } else if (value.vt == VT_BSTR) {
        const std::string text = Narrow(value.bstrVal);
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), result);
        if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
            return DISP_E_TYPEMISMATCH;
        }
    } else {
        return DISP_E_TYPEMISMATCH;
    }
    return S_OK;
}

HRESULT ToText(const VARIANT& value, BSTR& result) {
    if (value.vt == VT_BSTR) {
        result = SysAllocStringLen(value.bstrVal, SysStringLen(value.bstrVal));
    } else if (value.vt == VT_BOOL) {
        result = Widen(value.boolVal != 0 ? "True" : "False");
    } else if (value.vt == VT_R8) {
        char buffer[32];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value.dblVal).ptr;
        result = Widen(std::string(buffer, end));
    } else {
        LONGLONG number = 0;
        const HRESULT status = ToInteger(value, number);
        if (FAILED(status)) return status;
        result = Widen(value.vt == VT_EMPTY ? std::string() : std::to_string(number));
    }
    return S_OK;
}

}  // namespace

HRESULT CoRegisterClassObject(REFCLSID rclsid, IUnknown* pUnk, DWORD, DWORD, DWORD* lpdwRegister) {
    if (pUnk == nullptr || lpdwRegister == nullptr) return E_INVALIDARG;
    ClassTable& table = Classes();
    std::lock_guard guard(table.lock);
    pUnk->AddRef();
    *lpdwRegister = table.nextCookie++;
    table.byCookie[*lpdwRegister] = ClassObject{rclsid, pUnk};
    return S_OK;
}

HRESULT CoRevokeClassObject(DWORD dwRegister) {
    IUnknown* object = nullptr;
    {
        ClassTable& table = Classes();
        std::lock_guard guard(table.lock);
        const auto found = table.byCookie.find(dwRegister);
        if (found == table.byCookie.end()) return E_INVALIDARG;
        object = found->second.object;
        table.byCookie.erase(found);
    }
    object->Release();
    return S_OK;
}

HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD, REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    return CreateLocal(rclsid, pUnkOuter, riid, ppv);
}

HRESULT CoCreateInstanceEx(REFCLSID rclsid, IUnknown* punkOuter, DWORD, COSERVERINFO* pServerInfo,
                           DWORD dwCount, MULTI_QI* pResults) {
    if (dwCount == 0 || pResults == nullptr) return E_INVALIDARG;
    for (DWORD i = 0; i < dwCount; ++i) pResults[i] = MULTI_QI{pResults[i].pIID, nullptr, E_NOINTERFACE};
    if (NamesOtherMachine(pServerInfo)) return kServerUnavailable;
    IUnknown* object = nullptr;
    const HRESULT status = CreateLocal(rclsid, punkOuter, kIUnknownId, reinterpret_cast<void**>(&object));
    if (FAILED(status)) return status;
    DWORD found = 0;
    for (DWORD i = 0; i < dwCount; ++i) {
        pResults[i].hr = object->QueryInterface(*pResults[i].pIID, reinterpret_cast<void**>(&pResults[i].pItf));
        if (SUCCEEDED(pResults[i].hr)) ++found;
    }
    object->Release();
    if (found == 0) return E_NOINTERFACE;
    return found == dwCount ? S_OK : ZT_HRESULT(0x00080012);  // CO_S_NOTALLINTERFACES
}

HRESULT GetActiveObject(REFCLSID, void*, IUnknown** ppunk) {
    if (ppunk != nullptr) *ppunk = nullptr;
    return MK_E_UNAVAILABLE;
}

BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui) {
    // The byte length sits in front of the text, as on Windows.
    auto* block = static_cast<std::uint32_t*>(std::malloc(sizeof(std::uint32_t) + (ui + 1) * sizeof(OLECHAR)));
    if (block == nullptr) return nullptr;
    block[0] = ui * sizeof(OLECHAR);
    BSTR text = reinterpret_cast<BSTR>(block + 1);
    if (strIn != nullptr) std::memcpy(text, strIn, ui * sizeof(OLECHAR));
    else std::memset(text, 0, ui * sizeof(OLECHAR));
    text[ui] = 0;
    return text;
}

void SysFreeString(BSTR bstrString) {
    if (bstrString != nullptr) std::free(reinterpret_cast<std::uint32_t*>(bstrString) - 1);
}

UINT SysStringLen(BSTR pbstr) {
    if (pbstr == nullptr) return 0;
    return reinterpret_cast<const std::uint32_t*>(pbstr)[-1] / sizeof(OLECHAR);
}

void VariantInit(VARIANTARG* pvarg) {
    std::memset(pvarg, 0, sizeof(VARIANTARG));
    pvarg->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANTARG* pvarg) {
    if (pvarg == nullptr) return E_INVALIDARG;
    if (pvarg->vt == VT_BSTR) SysFreeString(pvarg->bstrVal);
    if ((pvarg->vt == VT_UNKNOWN || pvarg->vt == VT_DISPATCH) && pvarg->punkVal != nullptr) {
        pvarg->punkVal->Release();
    }
    VariantInit(pvarg);
    return S_OK;
}

HRESULT VariantCopy(VARIANTARG* pvargDest, VARIANTARG* pvargSrc) {
    if (pvargDest == nullptr || pvargSrc == nullptr) return E_INVALIDARG;
    if (pvargDest == pvargSrc) return S_OK;
    if ((pvargSrc->vt & VT_ARRAY) != 0) return DISP_E_BADVARTYPE;
    VariantClear(pvargDest);
    *pvargDest = *pvargSrc;
    if (pvargSrc->vt == VT_BSTR && pvargSrc->bstrVal != nullptr) {
        pvargDest->bstrVal = SysAllocStringLen(pvargSrc->bstrVal, SysStringLen(pvargSrc->bstrVal));
    }
    if ((pvargSrc->vt == VT_UNKNOWN || pvargSrc->vt == VT_DISPATCH) && pvargSrc->punkVal != nullptr) {
        pvargSrc->punkVal->AddRef();
    }
    return S_OK;
}

HRESULT VariantCopyInd(VARIANT* pvarDest, VARIANTARG* pvargSrc) {
    if (pvargSrc == nullptr) return E_INVALIDARG;
    if ((pvargSrc->vt & VT_BYREF) == 0) return VariantCopy(pvarDest, pvargSrc);
    if (pvargSrc->vt == (VT_BYREF | VT_VARIANT)) return VariantCopyInd(pvarDest, pvargSrc->pvarVal);
    VARIANT value;
    VariantInit(&value);
    value.vt = static_cast<VARTYPE>(pvargSrc->vt & ~VT_BYREF);
    const std::size_t size = ByRefSize(value.vt);
    if (size == 0 || pvargSrc->byref == nullptr) return DISP_E_BADVARTYPE;
    // Every value starts at the union's first byte.
    std::memcpy(&value.llVal, pvargSrc->byref, size);
    return VariantCopy(pvarDest, &value);
}

HRESULT VariantChangeType(VARIANTARG* pvargDest, VARIANTARG* pvarSrc, USHORT, VARTYPE vt) {
    if (pvargDest == nullptr || pvarSrc == nullptr) return E_INVALIDARG;
    VARIANT converted;
    VariantInit(&converted);
    HRESULT status = S_OK;
    if (vt == VT_BSTR) {
        status = ToText(*pvarSrc, converted.bstrVal);
    } else if (vt == VT_I4 || vt == VT_INT) {
        LONGLONG number = 0;
        status = ToInteger(*pvarSrc, number);
        if (SUCCEEDED(status) && (number < INT32_MIN || number > INT32_MAX)) status = ZT_HRESULT(0x8002000A);
        converted.lVal = static_cast<LONG>(number);
    } else if (vt == pvarSrc->vt) {
        return VariantCopy(pvargDest, pvarSrc);
    } else {
        status = DISP_E_TYPEMISMATCH;
    }
    if (FAILED(status)) return status;
    converted.vt = vt;
    VariantClear(pvargDest);
    *pvargDest = converted;
    return S_OK;
}

std::u16string ComErrorText(HRESULT code) {
    switch (static_cast<std::uint32_t>(code)) {
        case 0x80004001: return u"Not implemented";
        case 0x80004002: return u"No such interface supported";
        case 0x80004005: return u"Unspecified error";
        case 0x80020003: return u"Member not found.";
        case 0x80020005: return u"Type mismatch.";
        case 0x80020006: return u"Unknown name.";
        case 0x8002000A: return u"Out of present range.";
        case 0x80040154: return u"Class not registered (COM is not available on this system)";
        case 0x800706BA: return u"The RPC server is unavailable (COM is not available on this system)";
        default: return {};
    }
}

}  // namespace zt::win32
