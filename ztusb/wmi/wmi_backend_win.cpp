// WMI over COM: SWbemLocator -> ConnectServer -> ExecQuery -> _NewEnum -> GetObjectText_.
// COM must already be initialised on the calling thread; the package never does it.
#include <cstdint>

#include "ztusb/host/log_line.h"
#include "ztusb/host/safe_call.h"
#include "ztusb/wmi/wbem_factories.h"
#include "ztusb/wmi/wmi_backend.h"

namespace ZtWmiU {
namespace {

using zt::host::ComPtr;
using zt::host::OleVariant;
using zt::host::SafeCall;
using zt::host::WideString;

ComPtr<IEnumVARIANT> OpenEnumerator(const String& query) {
    const WideString empty;
    const ComPtr<ISWbemServices> services = SafeCall(CoSWbemLocator::Create(), &ISWbemLocator::ConnectServer,
                                                     WideString(u"."), WideString(u"root\\cimv2"), empty, empty,
                                                     empty, empty, LONG{0}, static_cast<IDispatch*>(nullptr));
    const ComPtr<ISWbemObjectSet> objects = SafeCall(services, &ISWbemServices::ExecQuery, query, WideString(u"WQL"),
                                                     LONG{0}, static_cast<IDispatch*>(nullptr));
    const ComPtr<IUnknown> enumerable = SafeCall(objects, &ISWbemObjectSet::get__NewEnum);
    return zt::host::QueryAs<IEnumVARIANT>(enumerable.Get(), __uuidof(IEnumVARIANT));
}

// A failure here comes after the query ran: the answer is there but cannot be read.
String ObjectText(const OleVariant& element) {
    try {
        const auto object = zt::host::QueryAs<ISWbemObject>(element.Interface(), IID_ISWbemObject);
        return SafeCall(object, &ISWbemObject::GetObjectText_, LONG{0});
    } catch (const zt::host::EOleSysError& failure) {
        throw EUnreadableAnswer(failure.ErrorCode());
    }
}

// Every COM failure on the way makes the query fail, with its code for the runner's log.
std::optional<std::vector<String>> RunQuery(const String& query) {
    const ComPtr<IEnumVARIANT> enumerator = OpenEnumerator(query);
    std::vector<String> texts;
    OleVariant element;
    ULONG fetched = 0;
    HRESULT status = S_OK;
    // Anything but S_OK from Next ends the enumeration, a failure code included.
    while ((status = enumerator->Next(1, element.Put(), &fetched)) == S_OK) {
        if (element.Interface() == nullptr) continue;
        texts.push_back(ObjectText(element));
    }
    if (FAILED(status)) {
        ZT_LOG(Warning, "wmi") << "the answer ended early, after " << texts.size() << " objects, HRESULT "
                               << zt::host::LogHex{static_cast<std::uint32_t>(status)} << ": " << query;
    }
    return texts;
}

}  // namespace

WmiBackend PlatformWmiBackend() { return RunQuery; }

void BackendChosen(bool) {}

}  // namespace ZtWmiU
