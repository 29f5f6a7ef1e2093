// The sink's events: dispatch IDs 1 to 4 of ISWbemSinkEvents, arguments from the first on.
#include "ztusb/wmi/wbem_wrappers.h"

namespace ZtWmiU {
namespace {

template <typename Interface>
ComPtr<Interface> Arg(const TVariantArray& params, std::size_t index, const GUID& interfaceId) {
    return zt::host::VariantInterface<Interface>(params.at(index), interfaceId);
}

ComPtr<ISWbemNamedValueSet> Context(const TVariantArray& params, std::size_t index) {
    return Arg<ISWbemNamedValueSet>(params, index, IID_ISWbemNamedValueSet);
}

}  // namespace

void TSWbemSink::InvokeEvent(DISPID DispID, TVariantArray& Params) {
    switch (DispID) {
        case 1:
            if (OnObjectReady) {
                OnObjectReady(this, Arg<ISWbemObject>(Params, 0, IID_ISWbemObject), Context(Params, 1));
            }
            break;
        case 2:
            if (OnCompleted) {
                OnCompleted(this, Params.at(0).AsInteger(), Arg<ISWbemObject>(Params, 1, IID_ISWbemObject),
                            Context(Params, 2));
            }
            break;
        case 3:
            if (OnProgress) {
                OnProgress(this, Params.at(0).AsInteger(), Params.at(1).AsInteger(), Params.at(2).AsString(),
                           Context(Params, 3));
            }
            break;
        case 4:
            if (OnObjectPut) {
                OnObjectPut(this, Arg<ISWbemObjectPath>(Params, 0, IID_ISWbemObjectPath), Context(Params, 1));
            }
            break;
        default:
            break;
    }
}

}  // namespace ZtWmiU
