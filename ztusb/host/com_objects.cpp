#include "ztusb/host/com_objects.h"

namespace zt::host {

ComPtr<win32::IUnknown> CreateComObject(const win32::CLSID& classId) {
    ComPtr<win32::IUnknown> object;
    OleCheck(win32::CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                     win32::kIUnknownId, object.PutVoid()));
    return object;
}

ComPtr<win32::IUnknown> CreateRemoteComObject(const String& machineName, const win32::CLSID& classId) {
    String name = machineName;  // the system wants a writable, NUL-terminated text
    win32::COSERVERINFO server{};
    server.pwszName = reinterpret_cast<win32::LPWSTR>(name.data());
    win32::MULTI_QI query{&win32::kIUnknownId, nullptr, S_OK};
    OleCheck(win32::CoCreateInstanceEx(classId, nullptr, CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER, &server, 1,
                                       &query));
    ComPtr<win32::IUnknown> object;
    *object.Put() = query.pItf;  // the reference CoCreateInstanceEx made is ours
    OleCheck(query.hr);
    return object;
}

}  // namespace zt::host
