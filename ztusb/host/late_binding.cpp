#include "ztusb/host/late_binding.h"

#include "ztusb/host/ole_error.h"

namespace zt::host {
namespace {

const win32::IID kNullId{};

win32::DISPID MemberId(win32::IDispatch* object, const String& name) {
    String text = name;
    auto* names = reinterpret_cast<win32::LPOLESTR>(text.data());
    win32::DISPID id = DISPID_UNKNOWN;
    OleCheck(object->GetIDsOfNames(kNullId, &names, 1, LOCALE_USER_DEFAULT, &id));
    return id;
}

// Invoke's own failure, or the one the member reported through the exception record.
win32::HRESULT InvokeMember(win32::IDispatch* object, const String& name, win32::WORD flags,
                            win32::DISPPARAMS& params, win32::VARIANT* result) {
    win32::EXCEPINFO exception{};
    win32::HRESULT status = object->Invoke(MemberId(object, name), kNullId, LOCALE_USER_DEFAULT, flags, &params,
                                           result, &exception, nullptr);
    if (status == DISP_E_EXCEPTION && exception.scode != S_OK) status = exception.scode;
    win32::SysFreeString(exception.bstrSource);
    win32::SysFreeString(exception.bstrDescription);
    win32::SysFreeString(exception.bstrHelpFile);
    return status;
}

}  // namespace

void SetDispatchProperty(win32::IDispatch* object, const String& name, const OleVariant& value) {
    win32::VARIANT argument = value.Value();  // Invoke does not change its arguments
    win32::DISPID named = DISPID_PROPERTYPUT;
    win32::DISPPARAMS params{&argument, &named, 1, 1};
    OleCheck(InvokeMember(object, name, DISPATCH_PROPERTYPUT, params, nullptr));
}

OleVariant GetDispatchProperty(win32::IDispatch* object, const String& name) {
    win32::DISPPARAMS params{nullptr, nullptr, 0, 0};
    OleVariant result;
    OleCheck(InvokeMember(object, name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, params, result.Put()));
    return result;
}

}  // namespace zt::host
