#include "ztusb/win32/device_notification_ledger.h"
#include "ztusb/win32/windows_names.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace zt::win32 {
namespace {

struct Subscription {
    HDEVNOTIFY notification;
    HWND window;
    GUID interfaceClass;
};

// Filter layout: size (4), device type (4), reserved (4), class GUID (16), name...
constexpr std::size_t kTypeOffset = 4;
constexpr std::size_t kClassOffset = 12;
constexpr std::size_t kFixedPart = kClassOffset + sizeof(GUID);

std::mutex& LedgerMutex() {
    static std::mutex mutex;
    return mutex;
}

std::vector<Subscription>& Subscriptions() {
    static std::vector<Subscription> subscriptions;
    return subscriptions;
}

bool SameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

}  // namespace

bool ledger::ReadInterfaceClass(const void* filter, GUID& interfaceClass) {
    if (filter == nullptr) return false;
    const auto* bytes = static_cast<const BYTE*>(filter);
    std::uint32_t size = 0;
    std::uint32_t type = 0;
    std::memcpy(&size, bytes, sizeof size);
    if (size < kFixedPart) return false;
    std::memcpy(&type, bytes + kTypeOffset, sizeof type);
    if (type != DBT_DEVTYP_DEVICEINTERFACE) return false;
    std::memcpy(&interfaceClass, bytes + kClassOffset, sizeof(GUID));
    return true;
}

void ledger::Add(HDEVNOTIFY notification, HWND window, const GUID& interfaceClass) {
    std::lock_guard lock(LedgerMutex());
    Subscriptions().push_back({notification, window, interfaceClass});
}

bool ledger::Remove(HDEVNOTIFY notification) {
    std::lock_guard lock(LedgerMutex());
    auto& all = Subscriptions();
    const auto found = std::find_if(all.begin(), all.end(), [&](const Subscription& s) {
        return s.notification == notification;
    });
    if (found == all.end()) return false;
    all.erase(found);
    return true;
}

void ledger::ForgetWindow(HWND window) {
    std::lock_guard lock(LedgerMutex());
    std::erase_if(Subscriptions(), [&](const Subscription& s) { return s.window == window; });
}

bool IsSubscribedToDeviceInterface(HWND window, const GUID& interfaceClass) {
    std::lock_guard lock(LedgerMutex());
    const auto& all = Subscriptions();
    return std::any_of(all.begin(), all.end(), [&](const Subscription& s) {
        return s.window == window && SameGuid(s.interfaceClass, interfaceClass);
    });
}

}  // namespace zt::win32
