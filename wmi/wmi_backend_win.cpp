// WMI over COM: SWbemLocator -> ConnectServer -> ExecQuery -> _NewEnum -> GetObjectText_.
// COM must already be initialised on the calling thread; the package never does it.
#include "host/com_ptr.h"
#include "host/ole_variant.h"
#include "win32/wbem_scripting.h"
#include "wmi/wbem_scripting_ids.h"
#include "wmi/wmi_backend.h"

namespace ZtWmiU {
namespace {

using zt::host::BstrArg;
using zt::host::BstrResult;
using zt::host::ComPtr;
using zt::host::OleVariant;
using namespace zt::win32::wbem;

HRESULT OpenEnumerator(const String& query, ComPtr<IEnumVARIANT>& enumerator) {
    ComPtr<ISWbemLocator> locator;
    ComPtr<ISWbemServices> services;
    ComPtr<ISWbemObjectSet> objects;
    ComPtr<IUnknown> enumerable;
    const BstrArg server(u"."), space(u"root\\cimv2"), empty(u""), language(u"WQL"), text(query);
    HRESULT status = CoCreateInstance(CLASS_SWbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_ISWbemLocator,
                                      locator.PutVoid());
    if (SUCCEEDED(status)) {
        status = locator->ConnectServer(server, space, empty, empty, empty, empty, 0, nullptr, services.Put());
    }
    if (SUCCEEDED(status)) status = services->ExecQuery(text, language, 0, nullptr, objects.Put());
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
    OleVariant element;
    ULONG fetched = 0;
    // Anything but S_OK from Next ends the enumeration, a failure code included.
    while (enumerator->Next(1, element.Put(), &fetched) == S_OK) {
        IUnknown* held = element.Interface();
        if (held == nullptr) continue;
        ComPtr<ISWbemObject> object;
        BstrResult text;
        if (FAILED(held->QueryInterface(IID_ISWbemObject, object.PutVoid())) ||
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
