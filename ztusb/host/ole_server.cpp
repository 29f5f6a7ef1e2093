#include "ztusb/host/ole_server.h"

#include "ztusb/host/application.h"
#include "ztusb/host/com_objects.h"

namespace zt::host {
namespace {

ComPtr<win32::IUnknown> RunningObject(const win32::CLSID& classId) {
    ComPtr<win32::IUnknown> object;
    OleCheck(win32::GetActiveObject(classId, nullptr, object.Put()));
    return object;
}

// The event's arguments from the first on; the system passes them last first.
TVariantArray EventArguments(const win32::DISPPARAMS& params) {
    TVariantArray arguments;
    for (win32::UINT i = params.cArgs; i > 0; --i) arguments.emplace_back(params.rgvarg[i - 1]);
    return arguments;
}

}  // namespace

// The sink the server calls. It outlives its component while the server still holds it, so
// the component detaches itself before it goes.
class TOleServer::EventDispatch final : public win32::IDispatch {
public:
    EventDispatch(TOleServer* server, const win32::IID& eventId) : server_(server), eventId_(eventId) {}
    void Detach() { server_ = nullptr; }

    win32::HRESULT STDMETHODCALLTYPE QueryInterface(const win32::IID& id, void** result) override {
        if (result == nullptr) return E_POINTER;
        *result = nullptr;
        if (!(id == win32::kIUnknownId || id == win32::kIDispatchId || id == eventId_)) return E_NOINTERFACE;
        *result = static_cast<win32::IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    win32::ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    win32::ULONG STDMETHODCALLTYPE Release() override {
        const win32::ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    win32::HRESULT STDMETHODCALLTYPE GetTypeInfoCount(win32::UINT* count) override {
        if (count == nullptr) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    win32::HRESULT STDMETHODCALLTYPE GetTypeInfo(win32::UINT, win32::LCID, win32::ITypeInfo**) override {
        return E_NOTIMPL;
    }
    win32::HRESULT STDMETHODCALLTYPE GetIDsOfNames(const win32::IID&, win32::LPOLESTR*, win32::UINT, win32::LCID,
                                                   win32::DISPID*) override {
        return E_NOTIMPL;
    }
    // A failure in a handler goes to the host's handler of unhandled failures: it must not
    // unwind into the system's code that called us.
    win32::HRESULT STDMETHODCALLTYPE Invoke(win32::DISPID id, const win32::IID&, win32::LCID, win32::WORD,
                                            win32::DISPPARAMS* params, win32::VARIANT*, win32::EXCEPINFO*,
                                            win32::UINT*) override {
        if (server_ == nullptr) return S_OK;
        AddRef();  // a handler may free the component, and with it our last holder
        try {
            TVariantArray arguments = params != nullptr ? EventArguments(*params) : TVariantArray{};
            server_->InvokeEvent(id, arguments);
        } catch (...) {
            HandleException(server_);
        }
        Release();
        return S_OK;
    }

private:
    ~EventDispatch() = default;

    TOleServer* server_;
    win32::IID eventId_;
    win32::ULONG references_ = 1;
};

TOleServer::TOleServer(TComponent* AOwner) : TComponent(AOwner) {}

TOleServer::~TOleServer() {
    DisconnectEvents();
    if (eventDispatch_ != nullptr) {
        eventDispatch_->Detach();
        eventDispatch_->Release();
    }
}

ComPtr<win32::IUnknown> TOleServer::GetServer() {
    switch (ConnectKind) {
        case ckRunningOrNew: {
            ComPtr<win32::IUnknown> running;
            if (SUCCEEDED(win32::GetActiveObject(ServerData.ClassID, nullptr, running.Put()))) return running;
            return CreateComObject(ServerData.ClassID);
        }
        case ckNewInstance: return CreateComObject(ServerData.ClassID);
        case ckRunningInstance: return RunningObject(ServerData.ClassID);
        case ckRemote: return CreateRemoteComObject(RemoteMachineName, ServerData.ClassID);
        case ckAttachToInterface: break;
    }
    return nullptr;
}

void TOleServer::ConnectEvents(win32::IUnknown* server) {
    DisconnectEvents();
    const auto container = QueryAs<win32::IConnectionPointContainer>(server, win32::kIConnectionPointContainerId);
    ComPtr<win32::IConnectionPoint> point;
    OleCheck(container->FindConnectionPoint(ServerData.EventIID, point.Put()));
    if (eventDispatch_ == nullptr) eventDispatch_ = new EventDispatch(this, ServerData.EventIID);
    win32::DWORD cookie = 0;
    OleCheck(point->Advise(eventDispatch_, &cookie));
    eventPoint_ = point;
    eventCookie_ = cookie;
}

void TOleServer::DisconnectEvents() {
    if (!eventPoint_) return;
    eventPoint_->Unadvise(eventCookie_);
    eventPoint_.Reset();
}

void TOleServer::InvokeEvent(win32::DISPID, TVariantArray&) {}

}  // namespace zt::host
