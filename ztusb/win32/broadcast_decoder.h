#pragma once
// Reading a device-change record, never past the size its header declares: the detector acts
// on what one says and logs it; the world reads the ones it sends.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "ztusb/win32/broadcast_records.h"

namespace zt::win32 {

struct DecodedRecord {
    enum class Kind { None, Port, Volume, DeviceInterface, Other };
    // None: no header, or one that declares a size shorter than itself or than the bytes hold.
    Kind kind = Kind::None;
    std::uint32_t size = 0;        // as the header declares it
    std::uint32_t deviceType = 0;  // read whenever the bytes hold a header
    bool complete = false;         // holds its kind's fixed part: where a name starts, the unit mask
    std::u16string name;           // a port's or an interface's, up to its NUL or the record's end
    bool nameEnds = false;         // the name ends with its NUL inside the record (and 261 units for a port)
    std::uint32_t unitMask = 0;    // a volume's
    std::optional<GUID> interfaceClass;  // a complete device interface's
};

ZT_API DecodedRecord DecodeRecord(std::span<const std::uint8_t> bytes);
// The record a broadcast points to; its header says how many bytes there are to read.
ZT_API DecodedRecord DecodeRecordAt(LPARAM address);

}  // namespace zt::win32
