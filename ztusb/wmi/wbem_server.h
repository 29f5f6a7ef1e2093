#pragma once
// What every WbemScripting wrapper component shares: its server data, connecting to the
// server object (or to an interface handed over), and reaching the default interface.

#include "ztusb/host/com_objects.h"
#include "ztusb/host/late_binding.h"
#include "ztusb/host/ole_server.h"
#include "ztusb/host/safe_call.h"
#include "ztusb/wmi/wbem_scripting_ids.h"

namespace ZtWmiU {

inline constexpr GUID kNoEvents{};

template <typename Interface, const GUID& ClassId, const GUID& InterfaceId, const GUID& EventId = kNoEvents>
class TWbemServer : public zt::host::TOleServer {
public:
    using TComponent = zt::host::TComponent;
    using DefaultInterfaceType = zt::host::ComPtr<Interface>;

    explicit TWbemServer(TComponent* AOwner) : TOleServer(AOwner) { InitServerData(); }
    ~TWbemServer() override { TWbemServer::Disconnect(); }

    void Connect() override {
        if (FIntf) return;
        const zt::host::ComPtr<zt::win32::IUnknown> server = GetServer();
        if (!server) return;  // attach-only: ConnectTo brings the interface
        DefaultInterfaceType intf = zt::host::QueryAs<Interface>(server.Get(), InterfaceId);
        if (HasEvents()) ConnectEvents(server.Get());
        FIntf = std::move(intf);
    }

    void ConnectTo(const DefaultInterfaceType& svrIntf) {
        Disconnect();
        if (HasEvents() && svrIntf) ConnectEvents(svrIntf.Get());
        FIntf = svrIntf;
    }

    void Disconnect() override {
        if (!FIntf) return;
        if (HasEvents()) DisconnectEvents();
        FIntf.Reset();
    }

    DefaultInterfaceType DefaultInterface() { return GetDefaultInterface(); }

protected:
    void InitServerData() override { ServerData = {ClassId, InterfaceId, EventId, 500}; }

    DefaultInterfaceType GetDefaultInterface() {
        if (!FIntf) Connect();
        if (!FIntf) {
            throw zt::host::EAssertionFailed(u"DefaultInterface is NULL. Component is not connected to Server. You "
                                             u"must call \"Connect\" or \"ConnectTo\" before this operation",
                                             u"ZtWmiU");
        }
        return FIntf;
    }

    // The interface member called through GetDefaultInterface, as SafeCall converts it.
    template <typename Member, typename... Args>
    auto Forward(Member member, const Args&... args) {
        return zt::host::SafeCall(GetDefaultInterface(), member, args...);
    }
    void PutByName(const zt::host::String& name, const zt::host::OleVariant& value) {
        zt::host::SetDispatchProperty(GetDefaultInterface().Get(), name, value);
    }
    zt::host::OleVariant GetByName(const zt::host::String& name) {
        return zt::host::GetDispatchProperty(GetDefaultInterface().Get(), name);
    }

    DefaultInterfaceType FIntf;

private:
    static bool HasEvents() { return !(EventId == kNoEvents); }
};

}  // namespace ZtWmiU
