#include "ztusb/world/broadcast.h"

#include <cstring>
#include <stdexcept>

#include "ztusb/win32/broadcast_decoder.h"
#include "ztusb/win32/windows_names.h"

namespace zt::world {
namespace {

namespace rec = zt::win32;

template <typename Header>
Record WithHeader(const Header& header, std::u16string_view name, std::size_t nameOffset) {
    Record bytes(nameOffset + (name.size() + 1) * sizeof(char16_t), 0);
    std::memcpy(bytes.data(), &header, nameOffset);
    std::memcpy(bytes.data() + nameOffset, name.data(), name.size() * sizeof(char16_t));
    const auto size = static_cast<std::uint32_t>(bytes.size());
    std::memcpy(bytes.data(), &size, sizeof size);
    return bytes;
}

struct Delivery {
    bool deviceInterface;
    win32::GUID interfaceClass;
    std::vector<win32::HWND> windows;
};

win32::BOOL CALLBACK CollectRecipient(win32::HWND window, win32::LPARAM context) {
    auto& delivery = *reinterpret_cast<Delivery*>(context);
    if (!delivery.deviceInterface ||
        win32::IsSubscribedToDeviceInterface(window, delivery.interfaceClass)) {
        delivery.windows.push_back(window);
    }
    return TRUE;
}

}  // namespace

Record PortRecord(std::u16string_view portName) {
    rec::DEV_BROADCAST_HDR header{0, DBT_DEVTYP_PORT, 0};
    return WithHeader(header, portName, offsetof(rec::TDEV_BROADCAST_PORT, dbcp_name));
}

Record VolumeRecord(std::uint32_t unitMask) {
    rec::TDEV_BROADCAST_VOLUME volume{sizeof volume, DBT_DEVTYP_VOLUME, 0, unitMask, 0};
    Record bytes(sizeof volume);
    std::memcpy(bytes.data(), &volume, sizeof volume);
    return bytes;
}

Record DeviceInterfaceRecord(std::u16string_view interfaceName, const win32::GUID& interfaceClass) {
    rec::DEV_BROADCAST_DEVICEINTERFACE header{0, DBT_DEVTYP_DEVICEINTERFACE, 0, interfaceClass, 0};
    return WithHeader(header, interfaceName, offsetof(rec::DEV_BROADCAST_DEVICEINTERFACE, dbcc_name));
}

std::u16string UsbDeviceInterfaceName(std::u16string_view hardware, std::u16string_view instance) {
    return u"\\\\?\\USB#" + std::u16string(hardware) + u"#" + std::u16string(instance) +
           u"#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
}

void BroadcastDeviceChange(std::uint32_t event, std::span<const std::uint8_t> record) {
    const win32::DecodedRecord decoded = win32::DecodeRecord(record);
    if (record.size() < sizeof(rec::DEV_BROADCAST_HDR) || decoded.size > record.size()) {
        throw std::invalid_argument("device-change record shorter than its header or its size");
    }
    // A copy, so that every window reads the same bytes whatever a handler does.
    const Record bytes(record.begin(), record.end());
    Delivery delivery{};
    delivery.deviceInterface = decoded.deviceType == DBT_DEVTYP_DEVICEINTERFACE;
    if (delivery.deviceInterface) {
        if (!decoded.interfaceClass) return;  // names no class
        delivery.interfaceClass = *decoded.interfaceClass;
    }
    win32::EnumThreadWindows(win32::GetCurrentThreadId(), &CollectRecipient,
                             reinterpret_cast<win32::LPARAM>(&delivery));
    for (const win32::HWND window : delivery.windows) {
        win32::SendMessageW(window, WM_DEVICECHANGE, event,
                            reinterpret_cast<win32::LPARAM>(bytes.data()));
    }
}

}  // namespace zt::world
