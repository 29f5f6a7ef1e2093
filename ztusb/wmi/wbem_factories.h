#pragma once
// One factory per WbemScripting coclass: Create makes an instance on this machine,
// CreateRemote one on the named machine; each returns the coclass's default interface and
// raises EOleSysError when that cannot be had.

#include "ztusb/host/com_objects.h"
#include "ztusb/win32/wbem_scripting.h"
#include "ztusb/wmi/wbem_scripting_ids.h"

namespace ZtWmiU {

template <typename Interface, const GUID& ClassId, const GUID& InterfaceId>
struct CoClassFactory {
    static zt::host::ComPtr<Interface> Create() {
        return zt::host::QueryAs<Interface>(zt::host::CreateComObject(ClassId).Get(), InterfaceId);
    }
    static zt::host::ComPtr<Interface> CreateRemote(const zt::host::String& MachineName) {
        return zt::host::QueryAs<Interface>(zt::host::CreateRemoteComObject(MachineName, ClassId).Get(),
                                            InterfaceId);
    }
};

using namespace zt::win32::wbem;

struct CoSWbemLocator : CoClassFactory<ISWbemLocator, CLASS_SWbemLocator, IID_ISWbemLocator> {};
struct CoSWbemNamedValueSet : CoClassFactory<ISWbemNamedValueSet, CLASS_SWbemNamedValueSet, IID_ISWbemNamedValueSet> {};
struct CoSWbemObjectPath : CoClassFactory<ISWbemObjectPath, CLASS_SWbemObjectPath, IID_ISWbemObjectPath> {};
struct CoSWbemLastError : CoClassFactory<ISWbemLastError, CLASS_SWbemLastError, IID_ISWbemLastError> {};
struct CoSWbemSink : CoClassFactory<ISWbemSink, CLASS_SWbemSink, IID_ISWbemSink> {};
struct CoSWbemDateTime : CoClassFactory<ISWbemDateTime, CLASS_SWbemDateTime, IID_ISWbemDateTime> {};
struct CoSWbemRefresher : CoClassFactory<ISWbemRefresher, CLASS_SWbemRefresher, IID_ISWbemRefresher> {};
struct CoSWbemServices : CoClassFactory<ISWbemServices, CLASS_SWbemServices, IID_ISWbemServices> {};
struct CoSWbemServicesEx : CoClassFactory<ISWbemServicesEx, CLASS_SWbemServicesEx, IID_ISWbemServicesEx> {};
struct CoSWbemObject : CoClassFactory<ISWbemObject, CLASS_SWbemObject, IID_ISWbemObject> {};
struct CoSWbemObjectEx : CoClassFactory<ISWbemObjectEx, CLASS_SWbemObjectEx, IID_ISWbemObjectEx> {};
struct CoSWbemObjectSet : CoClassFactory<ISWbemObjectSet, CLASS_SWbemObjectSet, IID_ISWbemObjectSet> {};
struct CoSWbemNamedValue : CoClassFactory<ISWbemNamedValue, CLASS_SWbemNamedValue, IID_ISWbemNamedValue> {};
struct CoSWbemQualifier : CoClassFactory<ISWbemQualifier, CLASS_SWbemQualifier, IID_ISWbemQualifier> {};
struct CoSWbemQualifierSet : CoClassFactory<ISWbemQualifierSet, CLASS_SWbemQualifierSet, IID_ISWbemQualifierSet> {};
struct CoSWbemProperty : CoClassFactory<ISWbemProperty, CLASS_SWbemProperty, IID_ISWbemProperty> {};
struct CoSWbemPropertySet : CoClassFactory<ISWbemPropertySet, CLASS_SWbemPropertySet, IID_ISWbemPropertySet> {};
struct CoSWbemMethod : CoClassFactory<ISWbemMethod, CLASS_SWbemMethod, IID_ISWbemMethod> {};
struct CoSWbemMethodSet : CoClassFactory<ISWbemMethodSet, CLASS_SWbemMethodSet, IID_ISWbemMethodSet> {};
struct CoSWbemEventSource : CoClassFactory<ISWbemEventSource, CLASS_SWbemEventSource, IID_ISWbemEventSource> {};
struct CoSWbemSecurity : CoClassFactory<ISWbemSecurity, CLASS_SWbemSecurity, IID_ISWbemSecurity> {};
struct CoSWbemPrivilege : CoClassFactory<ISWbemPrivilege, CLASS_SWbemPrivilege, IID_ISWbemPrivilege> {};
struct CoSWbemPrivilegeSet : CoClassFactory<ISWbemPrivilegeSet, CLASS_SWbemPrivilegeSet, IID_ISWbemPrivilegeSet> {};
struct CoSWbemRefreshableItem : CoClassFactory<ISWbemRefreshableItem, CLASS_SWbemRefreshableItem, IID_ISWbemRefreshableItem> {};

}  // namespace ZtWmiU
