// WMI over COM: SWbemLocator -> ConnectServer -> ExecQuery -> _NewEnum -> GetObjectText_.
// COM must already be initialised on the calling thread; the package never does it.
#include <wbemdisp.h>

#include "wmi/wmi_backend.h"

namespace ZtWmiU {
namespace {

// {76A64158-CB41-11D1-8B02-00600806D9B6}
constexpr CLSID kSWbemLocator = {0x76a64158, 0xcb41, 0x11d1,
                                 {0x8b, 0x02, 0x00, 0x60, 0x08, 0x06, 0xd9, 0xb6}};

// Holds one interface and releases it on every path.
template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    Interface* operator->() const { return pointer_; }
    Interface* Get() const { return pointer_; }
    Interface** Put() {
        Reset();
        return &pointer_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

private:
    void Reset() {
        if (pointer_ != nullptr) pointer_->Release();
        pointer_ = nullptr;
    }
    Interface* pointer_ = nullptr;
};

class Bstr {
public:
    explicit Bstr(const wchar_t* text) : value_(SysAllocString(text)) {}
    Bstr() = default;
    ~Bstr() { SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR Get() const { return value_; }
    BSTR* Put() { return &value_; }
    // Up to the first NUL: some WMI implementations count the terminator in the length.
    String Text() const {
        if (value_ == nullptr) return {};
        const String text(reinterpret_cast<const char16_t*>(value_), SysStringLen(value_));
        return text.substr(0, text.find(u'\0'));
    }

private:
    BSTR value_ = nullptr;
};

class Variant {
public:
    Variant() { VariantInit(&value_); }
    ~Variant() { VariantClear(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    VARIANT* Put() {
        VariantClear(&value_);
        return &value_;
    }
    // The interface the variant holds, or null.
    IUnknown* Interface() const {
        if (value_.vt == VT_DISPATCH) return value_.pdispVal;
        if (value_.vt == VT_UNKNOWN) return value_.punkVal;
        return nullptr;
    }

private:
    VARIANT value_;
};

HRESULT OpenEnumerator(const String& query, ComPtr<IEnumVARIANT>& enumerator) {
    ComPtr<ISWbemLocator> locator;
    ComPtr<ISWbemServices> services;
    ComPtr<ISWbemObjectSet> objects;
    ComPtr<IUnknown> enumerable;
    const Bstr server(L"."), space(L"root\\cimv2"), empty(L""), language(L"WQL");
    const Bstr text(reinterpret_cast<const wchar_t*>(query.c_str()));
    HRESULT status = CoCreateInstance(kSWbemLocator, nullptr, CLSCTX_INPROC_SERVER,
                              __uuidof(ISWbemLocator), locator.PutVoid());
    if (SUCCEEDED(status)) {
        status = locator->ConnectServer(server.Get(), space.Get(), empty.Get(), empty.Get(),
                                        empty.Get(), empty.Get(), 0, nullptr, services.Put());
    }
    if (SUCCEEDED(status)) {
        status = services->ExecQuery(text.Get(), language.Get(), 0, nullptr, objects.Put());
    }
    if (SUCCEEDED(status)) status = objects->get__NewEnum(enumerable.Put());
    if (SUCCEEDED(status)) {
        status = enumerable->QueryInterface(__uuidof(IEnumVARIANT), enumerator.PutVoid());
    }
    return status;
}

std::optional<std::vector<String>> RunQuery(const String& query) {
    ComPtr<IEnumVARIANT> enumerator;
    if (FAILED(OpenEnumerator(query, enumerator))) return std::nullopt;
    std::vector<String> texts;
    Variant element;
    ULONG fetched = 0;
    // Anything but S_OK from Next ends the enumeration, a failure code included.
    while (enumerator->Next(1, element.Put(), &fetched) == S_OK) {
        IUnknown* held = element.Interface();
        if (held == nullptr) continue;
        ComPtr<ISWbemObject> object;
        Bstr text;
        if (FAILED(held->QueryInterface(__uuidof(ISWbemObject), object.PutVoid())) ||
            FAILED(object->GetObjectText_(0, text.Put()))) {
            return std::nullopt;
        }
        texts.push_back(text.Text());
    }
    return texts;
}

}  // namespace

WmiBackend PlatformWmiBackend() { return RunQuery; }

}  // namespace ZtWmiU
