#pragma once
// USB devices as the monitor shows them: a tree of buses, hubs and devices with their faces
// below each, like lsusb -t with ports and letters; or each device's record as JSON.

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "ztusb/devices/usb_device.h"

namespace ztusbmon {

// Numbers as numbers; a missing serial, interface or channel as null.
nlohmann::ordered_json DeviceJson(const zt::devices::UsbDevice& device);

// The devices below their hubs and buses, one line each, their faces indented below them;
// device text shown harmlessly.
std::vector<std::string> DeviceTree(const std::vector<zt::devices::UsbDevice>& devices);

}  // namespace ztusbmon
