#pragma once
// The framework's base for components that wrap a COM server: it finds or creates the server
// object from the component's server data and connection settings, and attaches an event
// sink whose calls arrive at InvokeEvent with the arguments in declaration order.

#include "ztusb/export.h"
#include "ztusb/host/classes.h"
#include "ztusb/host/com_ptr.h"
#include "ztusb/host/ole_variant.h"
#include "ztusb/win32/com.h"

namespace zt::host {

struct TServerData {
    win32::CLSID ClassID{};
    win32::IID IntfIID{};
    win32::IID EventIID{};  // null: the server has no events
    int Version = 0;
};

enum TConnectKind {
    ckRunningOrNew,       // the running instance, else a new one
    ckNewInstance,        // always a new instance on this machine
    ckRunningInstance,    // the running instance only
    ckRemote,             // a new instance on RemoteMachineName
    ckAttachToInterface,  // none: the caller hands an interface to ConnectTo
};

class ZT_API TOleServer : public TComponent {
public:
    explicit TOleServer(TComponent* AOwner);
    ~TOleServer() override;

    virtual void Connect() = 0;
    virtual void Disconnect() = 0;

    TConnectKind ConnectKind = ckRunningOrNew;
    String RemoteMachineName;

protected:
    virtual void InitServerData() = 0;
    // The server object as ConnectKind says; null for ckAttachToInterface. Raises
    // EOleSysError when it cannot be had.
    ComPtr<win32::IUnknown> GetServer();
    // Attaches the event sink to the object's connection point for ServerData.EventIID;
    // raises EOleSysError when the object has none.
    void ConnectEvents(win32::IUnknown* server);
    // Detaches the sink if attached; a server that has gone away is not an error.
    void DisconnectEvents();
    // One event from the sink: its dispatch ID and its arguments from the first on.
    virtual void InvokeEvent(win32::DISPID DispID, TVariantArray& Params);

    TServerData ServerData;

private:
    class EventDispatch;
    EventDispatch* eventDispatch_ = nullptr;
    ComPtr<win32::IConnectionPoint> eventPoint_;
    win32::DWORD eventCookie_ = 0;
};

}  // namespace zt::host
