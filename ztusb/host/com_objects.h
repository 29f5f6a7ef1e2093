#pragma once
// Creating COM objects and asking them for interfaces; every failure raises EOleSysError.

#include "ztusb/export.h"
#include "ztusb/host/com_ptr.h"
#include "ztusb/host/ole_error.h"
#include "ztusb/host/text.h"
#include "ztusb/win32/com.h"

namespace zt::host {

// A new instance of the class on this machine (in-process or local server).
ZT_API ComPtr<win32::IUnknown> CreateComObject(const win32::CLSID& classId);

// A new instance of the class on the named machine.
ZT_API ComPtr<win32::IUnknown> CreateRemoteComObject(const String& machineName, const win32::CLSID& classId);

template <typename Interface>
ComPtr<Interface> QueryAs(win32::IUnknown* object, const win32::IID& interfaceId) {
    ComPtr<Interface> result;
    OleCheck(object->QueryInterface(interfaceId, result.PutVoid()));
    return result;
}

}  // namespace zt::host
