#pragma once
// Automation values: WideString (the text of a BSTR), OleVariant (an owned VARIANT) and
// BstrArg (a BSTR made from a WideString for the length of one call).

#include <concepts>
#include <vector>

#include "ztusb/export.h"
#include "ztusb/host/com_ptr.h"
#include "ztusb/host/ole_error.h"
#include "ztusb/host/text.h"
#include "ztusb/win32/com.h"

namespace zt::host {

using WideString = String;
using TOleEnum = win32::LONG;

// The text of a BSTR up to its first NUL: some WMI implementations count the terminator in
// the length. A null BSTR is the empty text.
ZT_API WideString BstrText(win32::BSTR text);

class ZT_API BstrArg {
public:
    explicit BstrArg(const WideString& text);
    ~BstrArg();
    BstrArg(const BstrArg&) = delete;
    BstrArg& operator=(const BstrArg&) = delete;
    operator win32::BSTR() const { return value_; }

private:
    win32::BSTR value_;
};

// Takes a BSTR out parameter and frees it.
class ZT_API BstrResult {
public:
    BstrResult() = default;
    ~BstrResult();
    BstrResult(const BstrResult&) = delete;
    BstrResult& operator=(const BstrResult&) = delete;
    win32::BSTR* Put();
    WideString Text() const { return BstrText(value_); }

private:
    win32::BSTR value_ = nullptr;
};

class ZT_API OleVariant {
public:
    OleVariant();
    OleVariant(const WideString& text);
    OleVariant(const char16_t* text) : OleVariant(WideString(text)) {}
    // An integer is a VT_I4, a bool a VT_BOOL.
    template <std::integral Number>
    OleVariant(Number value) : OleVariant() {
        if constexpr (std::is_same_v<Number, bool>) SetBool(value);
        else SetInteger(static_cast<win32::LONG>(value));
    }
    // Takes a new reference.
    OleVariant(win32::IDispatch* object);
    OleVariant(const win32::VARIANT& value);
    OleVariant(const OleVariant& other) : OleVariant(other.value_) {}
    OleVariant& operator=(const OleVariant& other);
    ~OleVariant();

    win32::VARTYPE Type() const { return value_.vt; }
    const win32::VARIANT& Value() const { return value_; }
    // For out parameters: clears the value and hands the slot to the callee.
    win32::VARIANT* Put();

    // The value converted as Automation converts it; a failed conversion raises EOleSysError.
    win32::LONG AsInteger() const;
    WideString AsString() const;
    // The interface the variant holds (VT_UNKNOWN or VT_DISPATCH), not counted; otherwise null.
    win32::IUnknown* Interface() const;

private:
    void SetInteger(win32::LONG number);
    void SetBool(bool value);

    win32::VARIANT value_;
};

using TVariantArray = std::vector<OleVariant>;

// The interface a variant holds, queried for the one asked; null when it holds none. A held
// object without that interface raises EOleSysError.
template <typename Interface>
ComPtr<Interface> VariantInterface(const OleVariant& value, const win32::IID& interfaceId) {
    ComPtr<Interface> result;
    if (value.Interface() != nullptr) OleCheck(value.Interface()->QueryInterface(interfaceId, result.PutVoid()));
    return result;
}

}  // namespace zt::host
