#pragma once
// A simulated workstation and a plug/unplug script, described in JSON, so that a host
// developer can replay the devices that troubled a user.
//
// {
//   "devices": [
//     {"id": "com1", "kind": "builtin_port", "port": "COM1", "attached": true},
//     {"id": "ftdi", "kind": "ftdi", "serial": "A50285BI", "port": "COM5"},
//     {"id": "stick", "kind": "usb_stick", "serial": "4C530001", "disk": 1,
//      "volumes": [{"letter": "E:", "file_system": "FAT32", "size": 16008523776,
//                   "free_space": 15000000000, "label": "STICK", "volume_serial": "1A2B3C4D"}]}
//   ],
//   "script": [{"plug": "ftdi"}, {"plug": "stick"}, {"unplug": "ftdi"}, {"pause_ms": 500}]
// }
//
// Kinds: ftdi, ch340 and bluetooth (serial or instance, port), builtin_port (port), usbasp
// (serial), usb_stick, external_disk (serial, disk, volumes), stick_without_serial (instance,
// disk_instance, disk, volumes), card_reader (serial, disk, slots: lists of volumes, and
// slot_count), fixed_disk (disk, volumes), ftdi_multi (serial, ports, and the instance
// Windows made for a second chip with the same serial), cp2105 (serial, ports: enhanced,
// standard), lte_modem (serial, four ports), hub (instance), and the boards st_link,
// daplink, jlink and circuitpython (serial, ports, disk, luns: lists of volumes). A volume
// without a letter is a partition that holds none. Any USB device may say where it is
// plugged in: "location": "1-4.2" (port 2 of the hub on port 4 of bus 1); otherwise it takes
// the lowest free port of bus 1.
//
// A file with "version" may hold a recorded machine (recording.h) beside or instead of the
// devices; its broadcasts replay after the script.

#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "ztusb/sim/boards.h"
#include "ztusb/sim/workstation.h"
#include "ztusb/testkit/json_reader.h"

namespace zt::testkit {

struct WorldDevice {
    std::string id;
    std::variant<zt::sim::SerialDevice, zt::sim::StorageDevice, zt::sim::UsbBoard> device;
    bool attached;  // present from the start
    int line;       // where the file describes it
    zt::host::String location;  // the USB port it is plugged into; empty: the lowest free
};

struct WorldStep {
    enum class Action { Plug, Unplug, Pause, Replay } action;
    std::size_t device;  // index into the devices, for plug and unplug; of the broadcast to replay
    int pauseMs;
    int line;
    // Broadcasts replayed together, before the message loop runs again: the first and those
    // that followed it 0 ms later.
    std::size_t broadcasts = 1;
};

struct World {
    std::vector<WorldDevice> devices;
    zt::world::RecordedWorld recorded;  // the recorded form: a machine as it was read
    std::vector<WorldStep> script;
    std::string fileName;
};

// A member no reader of its object knows is a WorldError at its line, naming it and the key
// it is a slip for: FILE:LINE: unknown key "atached" (did you mean "attached"?).
ZT_API World ParseWorld(const std::string& text, const std::string& fileName);
// A folder, or a file that cannot be read, is a WorldError that says so:
// "FILE: is a folder, not a world file", "FILE: cannot read: No such file or directory".
ZT_API World LoadWorld(const std::string& path);
ZT_API World DefaultWorld();

// Attaches the devices present from the start. What the workstation refuses (two devices
// with one identity) is a WorldError at the line of the device or step that asked for it.
ZT_API void Populate(zt::sim::Workstation& station, const World& world);
ZT_API void Perform(zt::sim::Workstation& station, const World& world, const WorldStep& step);

}  // namespace zt::testkit
