#pragma once
// Layouts of the device-change broadcast records, little-endian, as the system sends them.
// The detector publishes them under its own namespace; the simulated world writes them.

#include <cstdint>

#include "ztusb/win32/api.h"

namespace zt::win32 {

struct DEV_BROADCAST_HDR {
    std::uint32_t dbch_size;  // the whole record, name included
    std::uint32_t dbch_devicetype;
    std::uint32_t dbch_reserved;
};

// The same header under the names some hosts use.
struct TmDevBroadcastHdr {
    std::uint32_t dbcd_size;
    std::uint32_t dbcd_devicetype;
    std::uint32_t dbcd_reserved;
};

constexpr int kPortNameUnits = 261;

// Both declared without trailing padding: 534 and 18 bytes.
#pragma pack(push, 1)

struct TDEV_BROADCAST_PORT {
    std::uint32_t dbcp_size;
    std::uint32_t dbcp_devicetype;
    std::uint32_t dbcp_reserved;
    char16_t dbcp_name[kPortNameUnits];
};

struct TDEV_BROADCAST_VOLUME {
    std::uint32_t dbcv_size;
    std::uint32_t dbcv_devicetype;
    std::uint32_t dbcv_reserved;
    std::uint32_t dbcv_unitmask;  // bit 0 is drive A, bit 25 drive Z
    std::uint16_t dbcv_flags;
};
#pragma pack(pop)

// Also the notification filter. The name runs on past the declared end up to its NUL.
struct DEV_BROADCAST_DEVICEINTERFACE {
    std::uint32_t dbcc_size;
    std::uint32_t dbcc_devicetype;
    std::uint32_t dbcc_reserved;
    GUID dbcc_classguid;
    char16_t dbcc_name;
};

static_assert(sizeof(DEV_BROADCAST_HDR) == 12);
static_assert(sizeof(TDEV_BROADCAST_PORT) == 534);
static_assert(sizeof(TDEV_BROADCAST_VOLUME) == 18);
static_assert(sizeof(DEV_BROADCAST_DEVICEINTERFACE) == 32);

using PDevBroadcastHdr = DEV_BROADCAST_HDR*;
using PmDevBroadcastHdr = TmDevBroadcastHdr*;
using PDEV_BROADCAST_PORT = TDEV_BROADCAST_PORT*;
using PDEV_BROADCAST_VOLUME = TDEV_BROADCAST_VOLUME*;
using PDevBroadcastDeviceInterface = DEV_BROADCAST_DEVICEINTERFACE*;

// The device-interface class of USB devices, {A5DCBF10-6530-11D2-901F-00C04FB951ED}.
inline constexpr GUID GUID_DEVINTERFACE_USB_DEVICE = {
    0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

}  // namespace zt::win32
