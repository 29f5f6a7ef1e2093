#pragma once
// `ztusbmon find`: one USB device by its IDs, serial or place, and what a shell script needs
// of it: the path of its port, the mount point or letter of its volume, or its record.
//
//   ztusbmon find [--vid HEX] [--pid HEX] [--serial TEXT] [--location 1-4.2] [--index N]
//                 [--port | --volume] [--wait SECONDS]
//
// Exit codes: 0 found (and the face asked for is there), 1 not found, timed out or without
// that face, 2 bad arguments.

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ztusb/devices/device_watch.h"

namespace ztusbmon {

struct FindOptions {
    zt::devices::DeviceMatch match;
    enum class Face { Record, Port, Volume } face = Face::Record;
    std::chrono::milliseconds wait{0};
};

struct FindUsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Throws FindUsageError for what is not one of the options above, or no criterion at all.
FindOptions ParseFind(const std::vector<std::string>& arguments);

// What to print of the device for the face asked for; nothing when it lacks that face.
std::optional<std::string> FaceOf(const zt::devices::UsbDevice& device, FindOptions::Face face);

}  // namespace ztusbmon
