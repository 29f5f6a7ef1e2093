#include "ztusb/win32/broadcast_decoder.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace zt::win32 {
namespace {

constexpr std::size_t kHeaderSize = sizeof(DEV_BROADCAST_HDR);
constexpr std::size_t kPortNameOffset = offsetof(TDEV_BROADCAST_PORT, dbcp_name);
constexpr std::size_t kUnitMaskOffset = offsetof(TDEV_BROADCAST_VOLUME, dbcv_unitmask);
constexpr std::size_t kInterfaceClassOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE, dbcc_classguid);
constexpr std::size_t kInterfaceNameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE, dbcc_name);

std::uint32_t FieldAt(std::span<const std::uint8_t> record, std::size_t offset) {
    std::uint32_t value = 0;
    std::memcpy(&value, record.data() + offset, sizeof value);
    return value;
}

// UTF-16 text from the offset up to its NUL, the record's end or maxUnits units.
void ReadName(std::span<const std::uint8_t> record, std::size_t offset, std::size_t maxUnits,
              DecodedRecord& decoded) {
    const std::size_t available = (record.size() - offset) / sizeof(char16_t);
    const std::size_t limit = std::min(available, maxUnits);
    for (std::size_t i = 0; i < limit; ++i) {
        char16_t unit = 0;
        std::memcpy(&unit, record.data() + offset + i * sizeof unit, sizeof unit);
        if (unit == u'\0') {
            decoded.nameEnds = true;
            return;
        }
        decoded.name += unit;
    }
}

void ReadKind(std::span<const std::uint8_t> record, DecodedRecord& decoded) {
    switch (decoded.deviceType) {
        case DBT_DEVTYP_PORT:
            decoded.kind = DecodedRecord::Kind::Port;
            decoded.complete = record.size() >= kPortNameOffset;
            if (decoded.complete) ReadName(record, kPortNameOffset, kPortNameUnits, decoded);
            return;
        case DBT_DEVTYP_VOLUME:
            decoded.kind = DecodedRecord::Kind::Volume;
            decoded.complete = record.size() >= sizeof(TDEV_BROADCAST_VOLUME);
            if (decoded.complete) decoded.unitMask = FieldAt(record, kUnitMaskOffset);
            return;
        case DBT_DEVTYP_DEVICEINTERFACE:
            decoded.kind = DecodedRecord::Kind::DeviceInterface;
            decoded.complete = record.size() >= kInterfaceNameOffset;
            if (!decoded.complete) return;
            decoded.interfaceClass.emplace();
            std::memcpy(&*decoded.interfaceClass, record.data() + kInterfaceClassOffset, sizeof(GUID));
            ReadName(record, kInterfaceNameOffset, std::u16string::npos, decoded);
            return;
        default:
            decoded.kind = DecodedRecord::Kind::Other;
    }
}

}  // namespace

DecodedRecord DecodeRecord(std::span<const std::uint8_t> bytes) {
    DecodedRecord decoded;
    if (bytes.size() < kHeaderSize) return decoded;
    decoded.size = FieldAt(bytes, offsetof(DEV_BROADCAST_HDR, dbch_size));
    decoded.deviceType = FieldAt(bytes, offsetof(DEV_BROADCAST_HDR, dbch_devicetype));
    if (decoded.size < kHeaderSize || decoded.size > bytes.size()) return decoded;
    ReadKind(bytes.first(decoded.size), decoded);
    return decoded;
}

DecodedRecord DecodeRecordAt(LPARAM address) {
    if (address == 0) return {};
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(address);
    std::uint32_t size = 0;
    std::memcpy(&size, bytes, sizeof size);
    return DecodeRecord({bytes, std::max<std::size_t>(size, kHeaderSize)});
}

}  // namespace zt::win32
