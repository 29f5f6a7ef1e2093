#pragma once
// Hand-written stand-ins for WMI scripting objects. They live on the test's stack and count
// references without freeing, so a test can see whether the code let go of what it took.

#include <algorithm>
#include <map>
#include <vector>

#include "ztusb/wmi/ZtWmiU.h"
#include "ztusb/wmi/wbem_bindings.h"

namespace zt::testing {

using namespace ZtWmiU;
using win32::BSTR;
using win32::DISPPARAMS;
using win32::EXCEPINFO;
using win32::HRESULT;
using win32::IConnectionPoint;
using win32::IConnectionPointContainer;
using win32::IUnknown;
using win32::LCID;
using win32::LPOLESTR;
using win32::UINT;
using win32::ULONG;
using win32::VARIANT;
using win32::VARIANT_BOOL;
using win32::WORD;

// One late-bound call as the object saw it.
struct Invocation {
    DISPID member;
    WORD flags;
    std::vector<OleVariant> arguments;  // as passed: last argument first
    std::vector<DISPID> named;
};

// IUnknown and IDispatch for a fake of one interface. Names given in `members` are known to
// GetIDsOfNames; a get of a member answers from `values`.
template <typename Interface>
class FakeDispatch : public Interface {
public:
    explicit FakeDispatch(std::vector<GUID> answers) : answers_(std::move(answers)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(const GUID& id, void** out) override {
        *out = nullptr;
        const bool known = id == win32::kIUnknownId || id == win32::kIDispatchId ||
                           std::find(answers_.begin(), answers_.end(), id) != answers_.end();
        if (!known) return E_NOINTERFACE;
        *out = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, win32::ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(const GUID&, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        if (count != 1) return E_INVALIDARG;
        const WideString name(reinterpret_cast<const char16_t*>(names[0]));
        const auto found = members.find(name);
        if (found == members.end()) return DISP_E_UNKNOWNNAME;
        *ids = found->second;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, const GUID&, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO*, UINT*) override {
        Invocation call{member, flags, {}, {}};
        for (UINT i = 0; i < params->cArgs; ++i) call.arguments.emplace_back(params->rgvarg[i]);
        call.named.assign(params->rgdispidNamedArgs, params->rgdispidNamedArgs + params->cNamedArgs);
        invocations.push_back(call);
        const auto value = values.find(member);
        if (result != nullptr && value != values.end()) {
            win32::VariantCopy(result, const_cast<VARIANT*>(&value->second.Value()));
        }
        return S_OK;
    }

    ULONG references = 0;
    std::map<WideString, DISPID> members;
    std::map<DISPID, OleVariant> values;
    std::vector<Invocation> invocations;

private:
    std::vector<GUID> answers_;
};

#define ZT_NOT_IMPLEMENTED(member, ...) \
    HRESULT STDMETHODCALLTYPE member(__VA_ARGS__) override { return E_NOTIMPL; }

class FakeNamedValueSet final : public FakeDispatch<ISWbemNamedValueSet> {
public:
    FakeNamedValueSet() : FakeDispatch({ZtWmiU::IID_ISWbemNamedValueSet}) {}

    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
        *count = static_cast<LONG>(added.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Add(BSTR name, VARIANT* value, LONG flags, ISWbemNamedValue** result) override {
        added.push_back({host::BstrText(name), OleVariant(*value), flags});
        *result = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Remove(BSTR, LONG) override { return removeStatus; }
    HRESULT STDMETHODCALLTYPE DeleteAll() override {
        added.clear();
        return S_OK;
    }
    ZT_NOT_IMPLEMENTED(get__NewEnum, IUnknown**)
    ZT_NOT_IMPLEMENTED(Item, BSTR, LONG, ISWbemNamedValue**)
    ZT_NOT_IMPLEMENTED(Clone, ISWbemNamedValueSet**)

    struct Entry {
        WideString name;
        OleVariant value;
        LONG flags;
    };
    std::vector<Entry> added;
    HRESULT removeStatus = S_OK;
};

class FakeObjectPath final : public FakeDispatch<ISWbemObjectPath> {
public:
    FakeObjectPath() : FakeDispatch({ZtWmiU::IID_ISWbemObjectPath}) {}

    HRESULT STDMETHODCALLTYPE get_Path(BSTR* path) override {
        *path = win32::SysAllocStringLen(reinterpret_cast<const win32::OLECHAR*>(u"\\\\.\\root\\cimv2"), 14);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_IsClass(VARIANT_BOOL* isClass) override {
        *isClass = VARIANT_TRUE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Class(BSTR) override {
        ++directClassPuts;
        return S_OK;
    }
    ZT_NOT_IMPLEMENTED(put_Path, BSTR)
    ZT_NOT_IMPLEMENTED(get_RelPath, BSTR*)
    ZT_NOT_IMPLEMENTED(put_RelPath, BSTR)
    ZT_NOT_IMPLEMENTED(get_Server, BSTR*)
    ZT_NOT_IMPLEMENTED(put_Server, BSTR)
    ZT_NOT_IMPLEMENTED(get_Namespace, BSTR*)
    ZT_NOT_IMPLEMENTED(put_Namespace, BSTR)
    ZT_NOT_IMPLEMENTED(get_ParentNamespace, BSTR*)
    ZT_NOT_IMPLEMENTED(get_DisplayName, BSTR*)
    ZT_NOT_IMPLEMENTED(put_DisplayName, BSTR)
    ZT_NOT_IMPLEMENTED(get_Class, BSTR*)
    ZT_NOT_IMPLEMENTED(SetAsClass)
    ZT_NOT_IMPLEMENTED(get_IsSingleton, VARIANT_BOOL*)
    ZT_NOT_IMPLEMENTED(SetAsSingleton)
    ZT_NOT_IMPLEMENTED(get_Keys, ISWbemNamedValueSet**)
    ZT_NOT_IMPLEMENTED(get_Security_, ISWbemSecurity**)
    ZT_NOT_IMPLEMENTED(get_Locale, BSTR*)
    ZT_NOT_IMPLEMENTED(put_Locale, BSTR)
    ZT_NOT_IMPLEMENTED(get_Authority, BSTR*)
    ZT_NOT_IMPLEMENTED(put_Authority, BSTR)

    int directClassPuts = 0;
};

// An error object, which is a WMI object like any other: reached late-bound apart from its
// text, which a query's results are read by.
class FakeLastError final : public FakeDispatch<ISWbemLastError> {
public:
    FakeLastError() : FakeDispatch({ZtWmiU::IID_ISWbemObject, ZtWmiU::IID_ISWbemLastError}) {}

    ZT_NOT_IMPLEMENTED(Put_, LONG, IDispatch*, ISWbemObjectPath**)
    ZT_NOT_IMPLEMENTED(PutAsync_, IDispatch*, LONG, IDispatch*, IDispatch*)
    ZT_NOT_IMPLEMENTED(Delete_, LONG, IDispatch*)
    ZT_NOT_IMPLEMENTED(DeleteAsync_, IDispatch*, LONG, IDispatch*, IDispatch*)
    ZT_NOT_IMPLEMENTED(Instances_, LONG, IDispatch*, ISWbemObjectSet**)
    ZT_NOT_IMPLEMENTED(InstancesAsync_, IDispatch*, LONG, IDispatch*, IDispatch*)
    ZT_NOT_IMPLEMENTED(Subclasses_, LONG, IDispatch*, ISWbemObjectSet**)
    ZT_NOT_IMPLEMENTED(SubclassesAsync_, IDispatch*, LONG, IDispatch*, IDispatch*)
    ZT_NOT_IMPLEMENTED(Associators_, BSTR, BSTR, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, BSTR, BSTR, LONG,
                       IDispatch*, ISWbemObjectSet**)
    ZT_NOT_IMPLEMENTED(AssociatorsAsync_, IDispatch*, BSTR, BSTR, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, BSTR,
                       BSTR, LONG, IDispatch*, IDispatch*)
    ZT_NOT_IMPLEMENTED(References_, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, BSTR, LONG, IDispatch*,
                       ISWbemObjectSet**)
    ZT_NOT_IMPLEMENTED(ReferencesAsync_, IDispatch*, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, BSTR, LONG,
                       IDispatch*, IDispatch*)
    ZT_NOT_IMPLEMENTED(ExecMethod_, BSTR, IDispatch*, LONG, IDispatch*, ISWbemObject**)
    ZT_NOT_IMPLEMENTED(ExecMethodAsync_, IDispatch*, BSTR, IDispatch*, LONG, IDispatch*, IDispatch*)
    ZT_NOT_IMPLEMENTED(Clone_, ISWbemObject**)
    HRESULT STDMETHODCALLTYPE GetObjectText_(LONG flags, BSTR* text) override {
        textFlags.push_back(flags);
        if (textStatus != S_OK) return textStatus;
        *text = win32::SysAllocStringLen(reinterpret_cast<const win32::OLECHAR*>(objectText.data()),
                                         static_cast<UINT>(objectText.size()));
        return S_OK;
    }
    ZT_NOT_IMPLEMENTED(SpawnDerivedClass_, LONG, ISWbemObject**)
    ZT_NOT_IMPLEMENTED(SpawnInstance_, LONG, ISWbemObject**)
    ZT_NOT_IMPLEMENTED(CompareTo_, IDispatch*, LONG, VARIANT_BOOL*)
    ZT_NOT_IMPLEMENTED(get_Qualifiers_, ISWbemQualifierSet**)
    ZT_NOT_IMPLEMENTED(get_Properties_, ISWbemPropertySet**)
    ZT_NOT_IMPLEMENTED(get_Methods_, ISWbemMethodSet**)
    ZT_NOT_IMPLEMENTED(get_Derivation_, VARIANT*)
    ZT_NOT_IMPLEMENTED(get_Path_, ISWbemObjectPath**)
    ZT_NOT_IMPLEMENTED(get_Security_, ISWbemSecurity**)

    WideString objectText;
    HRESULT textStatus = S_OK;
    std::vector<LONG> textFlags;
};

// The one connection point of a sink: holds the advised event sink and calls it.
class FakeEventPoint final : public IConnectionPoint {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(const GUID&, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    ZT_NOT_IMPLEMENTED(GetConnectionInterface, GUID*)
    ZT_NOT_IMPLEMENTED(GetConnectionPointContainer, IConnectionPointContainer**)
    ZT_NOT_IMPLEMENTED(EnumConnections, win32::IEnumConnections**)
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, win32::DWORD* cookie) override {
        if (advised) return CONNECT_E_CANNOTCONNECT;  // one listener is all a test needs
        advised = ComPtr<IUnknown>(sink);
        *cookie = ++lastCookie;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(win32::DWORD cookie) override {
        if (!advised || cookie != lastCookie) return CONNECT_E_NOCONNECTION;
        advised.Reset();
        return S_OK;
    }

    // Calls the advised sink as a server does: arguments passed last first.
    void Fire(DISPID event, std::vector<OleVariant> arguments) {
        std::vector<VARIANT> reversed;
        for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) reversed.push_back(it->Value());
        DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        ComPtr<IDispatch> sink;
        host::OleCheck(advised->QueryInterface(ZtWmiU::DIID_ISWbemSinkEvents, sink.PutVoid()));
        sink->Invoke(event, GUID{}, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    }

    ULONG references = 0;
    ComPtr<IUnknown> advised;
    win32::DWORD lastCookie = 0;
};

class FakeSink final : public FakeDispatch<ISWbemSink>, public IConnectionPointContainer {
public:
    FakeSink() : FakeDispatch({ZtWmiU::IID_ISWbemSink}) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(const GUID& id, void** out) override {
        if (!(id == win32::kIConnectionPointContainerId)) return FakeDispatch::QueryInterface(id, out);
        *out = static_cast<IConnectionPointContainer*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return FakeDispatch::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return FakeDispatch::Release(); }
    HRESULT STDMETHODCALLTYPE Cancel() override {
        ++cancels;
        return S_OK;
    }
    ZT_NOT_IMPLEMENTED(EnumConnectionPoints, win32::IEnumConnectionPoints**)
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(const GUID& id, IConnectionPoint** point) override {
        *point = nullptr;
        if (!(id == ZtWmiU::DIID_ISWbemSinkEvents)) return CONNECT_E_NOCONNECTION;
        *point = &events;
        events.AddRef();
        return S_OK;
    }

    FakeEventPoint events;
    int cancels = 0;
};

// ZT_NOT_IMPLEMENTED stays defined for tests that fake further interfaces.

// Makes `product` the object COM creates for a class, for the life of the registration.
class ClassRegistration final : public win32::IClassFactory {
public:
    ClassRegistration(const GUID& classId, IUnknown* product) : product_(product) {
        host::OleCheck(win32::CoRegisterClassObject(classId, this, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                                    &cookie_));
    }
    ~ClassRegistration() { win32::CoRevokeClassObject(cookie_); }
    ClassRegistration(const ClassRegistration&) = delete;
    ClassRegistration& operator=(const ClassRegistration&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(const GUID& id, void** out) override {
        *out = nullptr;
        if (!(id == win32::kIUnknownId || id == win32::kIClassFactoryId)) return E_NOINTERFACE;
        *out = static_cast<win32::IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, const GUID& id, void** out) override {
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        ++created;
        return product_->QueryInterface(id, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(win32::BOOL) override { return S_OK; }

    int created = 0;

private:
    IUnknown* product_;
    win32::DWORD cookie_ = 0;
    ULONG references_ = 0;
};

}  // namespace zt::testing
