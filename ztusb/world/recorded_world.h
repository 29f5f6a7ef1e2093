#pragma once
// A machine as it was recorded: its serial-port map and WMI instances exactly as they were
// read, and the broadcasts it sent with what came and went with each.

#include <cstdint>
#include <vector>

#include "ztusb/world/broadcast.h"
#include "ztusb/world/cim_repository.h"
#include "ztusb/world/device_tree.h"

namespace zt::world {

struct RecordedInstance {
    String className;
    CimRepository::Values values;              // the properties the schema knows
    std::vector<CimWrittenProperty> written;   // the others, as object text writes them
};

struct RecordedLink {
    String association;
    String antecedentKey;
    String dependentKey;
};

struct RecordedRegistryValue {
    String name;
    win32::DWORD type;
    std::vector<win32::BYTE> data;
};

// What a moment added to the machine.
struct RecordedArrivals {
    std::vector<RecordedRegistryValue> serialPorts;
    std::vector<RecordedInstance> instances;
    std::vector<RecordedLink> links;
    std::vector<DeviceNode> nodes = {};  // parents first
};

struct RecordedInstanceKey {
    String className;
    String key;
};

// What a moment took away.
struct RecordedDepartures {
    std::vector<String> serialPorts;  // value names
    std::vector<RecordedInstanceKey> instances;
    std::vector<String> nodes = {};  // device node IDs; what hangs below each goes with it
};

struct RecordedBroadcast {
    std::uint32_t afterMs;  // since the broadcast before it, or the start
    std::uint32_t event;
    Record record;
    RecordedArrivals came;
    RecordedDepartures went;
};

struct RecordedWorld {
    RecordedArrivals present;
    std::vector<RecordedBroadcast> broadcasts;
};

}  // namespace zt::world
