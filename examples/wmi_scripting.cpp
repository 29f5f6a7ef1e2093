// Drives WMI through the typed scripting bindings: a locator component connects to the local
// root\cimv2 namespace and the services run a query. Without COM (on Linux) it prints why
// it cannot.
#include <cstdio>

#include "ztusb/wmi/ZtWmiU.h"
#include "ztusb/wmi/wbem_bindings.h"

#ifdef _WIN32
#include <objbase.h>
#endif

namespace {

using namespace ZtWmiU;
using zt::host::SafeCall;

int ListDiskDrives() {
    TSWbemLocator locator(nullptr);
    const ComPtr<ISWbemServices> services =
        locator.ConnectServer(u".", u"root\\cimv2", u"", u"", u"", u"", 0, nullptr);
    // Interfaces without a wrapper component are called the same way, through SafeCall.
    const ComPtr<ISWbemObjectSet> drives =
        SafeCall(services, &ISWbemServices::ExecQuery, WideString(u"SELECT * FROM Win32_DiskDrive"),
                 WideString(u"WQL"), LONG{wbemFlagReturnWhenComplete}, static_cast<IDispatch*>(nullptr));
    std::printf("disk drives: %ld\n", static_cast<long>(SafeCall(drives, &ISWbemObjectSet::get_Count)));
    return 0;
}

}  // namespace

int main() {
#ifdef _WIN32
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // the host's job, not the package's
#endif
    try {
        return ListDiskDrives();
    } catch (const std::exception& failure) {
        std::printf("WMI is not reachable: %s\n", failure.what());
        return 1;
    }
}
