#include "ztusb/host/ole_variant.h"

namespace zt::host {
namespace {

win32::BSTR AllocBstr(const WideString& text) {
    return win32::SysAllocStringLen(reinterpret_cast<const win32::OLECHAR*>(text.data()),
                                    static_cast<win32::UINT>(text.size()));
}

}  // namespace

WideString BstrText(win32::BSTR text) {
    if (text == nullptr) return {};
    const WideString whole(reinterpret_cast<const char16_t*>(text), win32::SysStringLen(text));
    return whole.substr(0, whole.find(u'\0'));
}

BstrArg::BstrArg(const WideString& text) : value_(AllocBstr(text)) {}

BstrArg::~BstrArg() { win32::SysFreeString(value_); }

BstrResult::~BstrResult() { win32::SysFreeString(value_); }

win32::BSTR* BstrResult::Put() {
    win32::SysFreeString(value_);
    value_ = nullptr;
    return &value_;
}

OleVariant::OleVariant() { win32::VariantInit(&value_); }

OleVariant::OleVariant(const WideString& text) : OleVariant() {
    value_.vt = VT_BSTR;
    value_.bstrVal = AllocBstr(text);
}

void OleVariant::SetInteger(win32::LONG number) {
    value_.vt = VT_I4;
    value_.lVal = number;
}

void OleVariant::SetBool(bool value) {
    value_.vt = VT_BOOL;
    value_.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

OleVariant::OleVariant(win32::IDispatch* object) : OleVariant() {
    value_.vt = VT_DISPATCH;
    value_.pdispVal = object;
    if (object != nullptr) object->AddRef();
}

// The system's copy functions take a non-const source they do not change.
OleVariant::OleVariant(const win32::VARIANT& value) : OleVariant() {
    OleCheck(win32::VariantCopyInd(&value_, const_cast<win32::VARIANT*>(&value)));
}

OleVariant& OleVariant::operator=(const OleVariant& other) {
    if (this != &other) OleCheck(win32::VariantCopy(&value_, const_cast<win32::VARIANT*>(&other.value_)));
    return *this;
}

OleVariant::~OleVariant() { win32::VariantClear(&value_); }

win32::VARIANT* OleVariant::Put() {
    win32::VariantClear(&value_);
    return &value_;
}

win32::LONG OleVariant::AsInteger() const {
    OleVariant converted;
    OleCheck(win32::VariantChangeType(converted.Put(), const_cast<win32::VARIANT*>(&value_), 0, VT_I4));
    return converted.value_.lVal;
}

WideString OleVariant::AsString() const {
    OleVariant converted;
    OleCheck(win32::VariantChangeType(converted.Put(), const_cast<win32::VARIANT*>(&value_), 0, VT_BSTR));
    return BstrText(converted.value_.bstrVal);
}

win32::IUnknown* OleVariant::Interface() const {
    if (value_.vt == VT_DISPATCH) return value_.pdispVal;
    if (value_.vt == VT_UNKNOWN) return value_.punkVal;
    return nullptr;
}

}  // namespace zt::host
