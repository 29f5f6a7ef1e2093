#include "ztusb/testkit/world.h"

#include "ztusb/testkit/recording.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

namespace zt::testkit {
namespace {

// A volume without a letter is a partition that holds none (EFI system, recovery): its size
// is all it needs.
zt::sim::Volume ReadVolume(const Reader& reader, const std::string& at) {
    if (!reader.Has(at + "/letter")) return {{}, {}, reader.Number(at + "/size"), 0, {}, {}};
    zt::sim::Volume volume{reader.Text(at + "/letter", "\"E:\""),
                           reader.Text(at + "/file_system", "\"FAT32\""),
                           reader.Number(at + "/size"),
                           reader.Number(at + "/free_space"),
                           reader.Has(at + "/label") ? reader.Text(at + "/label", "\"STICK\"") : u"",
                           reader.Text(at + "/volume_serial", "\"1A2B3C4D\"")};
    const zt::host::String& letter = volume.letter;
    if (letter.size() != 2 || letter[1] != u':' || letter[0] < u'A' || letter[0] > u'Z') {
        reader.Fail(at + "/letter", "\"letter\": a drive letter with its colon, such as \"E:\"");
    }
    return volume;
}

std::vector<zt::sim::Volume> ReadVolumes(const Reader& reader, const std::string& list) {
    std::vector<zt::sim::Volume> volumes;
    const Json& entries = reader.Array(list, true);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        volumes.push_back(ReadVolume(reader, list + "/" + std::to_string(i)));
    }
    return volumes;
}

// Lists of volumes, one for each drive of a device: a card reader's slots (an empty list for
// a slot without medium), a UASP bridge's LUNs.
std::vector<std::vector<zt::sim::Volume>> ReadVolumeLists(const Reader& reader, const std::string& at,
                                                          std::size_t fewest, std::size_t most,
                                                          const std::string& expected) {
    const Json& lists = reader.Array(at, true);
    if (lists.size() < fewest || lists.size() > most) reader.Fail(at, expected);
    std::vector<std::vector<zt::sim::Volume>> read;
    for (std::size_t i = 0; i < lists.size(); ++i) {
        read.push_back(ReadVolumes(reader, at + "/" + std::to_string(i)));
    }
    return read;
}

std::vector<std::vector<zt::sim::Volume>> ReadSlots(const Reader& reader, const std::string& at) {
    return ReadVolumeLists(reader, at + "/slots", 0, 4, "\"slots\": at most four lists of volumes");
}

// `luns` for a bridge with several drives, `volumes` for one.
std::vector<std::vector<zt::sim::Volume>> ReadLuns(const Reader& reader, const std::string& at) {
    if (!reader.Has(at + "/luns")) return {ReadVolumes(reader, at + "/volumes")};
    return ReadVolumeLists(reader, at + "/luns", 1, 8, "\"luns\": one to eight lists of volumes");
}

std::uint32_t Disk(const Reader& reader, const std::string& at) {
    const std::uint64_t disk = reader.Number(at + "/disk");
    if (disk > 255) reader.Fail(at + "/disk", "\"disk\": a disk number from 0 to 255");
    return static_cast<std::uint32_t>(disk);
}

// Adapters whose port is the USB device itself, named by their chip.
const std::map<std::string, zt::sim::UsbSerialChip> kUsbSerialKinds = {
    {"ch340", zt::sim::UsbSerialChip::Ch340},
    {"cp210x", zt::sim::UsbSerialChip::Cp210x},
    {"prolific", zt::sim::UsbSerialChip::Prolific},
    {"arduino", zt::sim::UsbSerialChip::ArduinoUno},
};

// Boards: one USB device with ports and drives.
const std::map<std::string, zt::sim::BoardKind> kBoardKinds = {
    {"st_link", zt::sim::BoardKind::StLinkV21},
    {"daplink", zt::sim::BoardKind::DapLink},
    {"jlink", zt::sim::BoardKind::JLink},
    {"circuitpython", zt::sim::BoardKind::CircuitPython},
};

std::size_t BoardPorts(zt::sim::BoardKind kind) { return kind == zt::sim::BoardKind::JLink ? 2 : 1; }

// Exactly `count` port names under "ports".
std::vector<zt::host::String> ReadPortList(const Reader& reader, const std::string& device, std::size_t count) {
    const Json& list = reader.Array(device + "/ports", true);
    if (list.size() != count) {
        reader.Fail(device + "/ports", "\"ports\": " + std::to_string(count) + (count == 1 ? " port name" : " port names"));
    }
    std::vector<zt::host::String> ports;
    for (std::size_t i = 0; i < list.size(); ++i) {
        ports.push_back(reader.Text(device + "/ports/" + std::to_string(i), "\"COM5\""));
    }
    return ports;
}

std::size_t SlotCount(const Reader& reader, const std::string& at) {
    if (!reader.Has(at + "/slot_count")) return 4;
    const std::uint64_t count = reader.Number(at + "/slot_count");
    const std::size_t listed = reader.Has(at + "/slots") ? reader.Array(at + "/slots", true).size() : 0;
    if (count < 1 || count > 4 || count < listed) {
        reader.Fail(at + "/slot_count", "\"slot_count\": one to four, and no fewer than the slots listed");
    }
    return static_cast<std::size_t>(count);
}

// A multi-channel chip's ports, one per channel: two or four.
std::vector<zt::host::String> ReadPorts(const Reader& reader, const std::string& device) {
    const Json& list = reader.Array(device + "/ports", true);
    if (list.size() != 2 && list.size() != 4) {
        reader.Fail(device + "/ports", "\"ports\": two or four port names");
    }
    std::vector<zt::host::String> ports;
    for (std::size_t i = 0; i < list.size(); ++i) {
        ports.push_back(reader.Text(device + "/ports/" + std::to_string(i), "\"COM5\""));
    }
    return ports;
}

WorldDevice ReadDevice(const Reader& reader, const std::string& at) {
    const std::string id = zt::host::ToUtf8(reader.Text(at + "/id", "\"stick\""));
    const std::string kind = zt::host::ToUtf8(reader.Text(at + "/kind", "\"ftdi\""));
    const auto port = [&] { return reader.Text(at + "/port", "\"COM5\""); };
    const auto serial = [&] { return reader.Text(at + "/serial", "\"A50285BI\""); };
    const auto instance = [&] { return reader.Text(at + "/instance", "\"5&2D6E3B1&0&2\""); };
    const auto volumes = [&] { return ReadVolumes(reader, at + "/volumes"); };
    WorldDevice device{id, zt::sim::SerialDevice{}, reader.Flag(at + "/attached"), reader.LineOf(at),
                       reader.Has(at + "/location") ? reader.Text(at + "/location", "\"1-4.2\"") : u""};
    if (kind == "ftdi") {
        device.device = zt::sim::FtdiAdapter(serial(), port());
    } else if (kind == "ftdi_multi") {
        device.device = zt::sim::FtdiMultiChannel(
            serial(), ReadPorts(reader, at), reader.Has(at + "/instance") ? instance() : zt::host::String());
    } else if (kind == "cp2105") {
        const auto ports = ReadPortList(reader, at, 2);
        device.device = zt::sim::DualUartBridge(serial(), ports[0], ports[1]);
    } else if (kind == "lte_modem") {
        device.device = zt::sim::LteModem(serial(), ReadPortList(reader, at, 4));
    } else if (kind == "hub") {
        device.device = zt::sim::UsbHub(instance());
    } else if (const auto board = kBoardKinds.find(kind); board != kBoardKinds.end()) {
        const auto ports = ReadPortList(reader, at, BoardPorts(board->second));
        try {
            device.device = zt::sim::Board(board->second, serial(), ports, Disk(reader, at), ReadLuns(reader, at));
        } catch (const std::invalid_argument& e) {
            reader.Fail(at + "/luns", e.what());
        }
    } else if (const auto chip = kUsbSerialKinds.find(kind); chip != kUsbSerialKinds.end()) {
        device.device = zt::sim::UsbSerialAdapter(chip->second, instance(), port());
    } else if (kind == "composite_cdc") {
        device.device = zt::sim::CompositeCdcDevice(serial(), instance(), port());
    } else if (kind == "sol_port") {
        device.device = zt::sim::SerialOverLanPort(port());
    } else if (kind == "bluetooth") {
        device.device = zt::sim::BluetoothLink(instance(), port());
    } else if (kind == "builtin_port") {
        device.device = zt::sim::BuiltInPort(port());
    } else if (kind == "usbasp") {
        device.device = zt::sim::UsbaspProgrammer(serial());
    } else if (kind == "usb_stick") {
        device.device = zt::sim::UsbStick(serial(), Disk(reader, at), volumes());
    } else if (kind == "stick_without_serial") {
        device.device = zt::sim::UsbStickWithoutSerial(
            instance(), reader.Text(at + "/disk_instance", "\"7&2A3B4C5D\""), Disk(reader, at), volumes());
    } else if (kind == "external_disk") {
        device.device = zt::sim::ExternalHardDisk(serial(), Disk(reader, at), volumes());
    } else if (kind == "uasp_disk") {
        device.device = zt::sim::UaspDisk(serial(), reader.Flag(at + "/msft30"), Disk(reader, at),
                                          ReadLuns(reader, at));
    } else if (kind == "card_reader") {
        device.device = zt::sim::CardReader(serial(), Disk(reader, at), ReadSlots(reader, at), SlotCount(reader, at));
    } else if (kind == "fixed_disk") {
        device.device = zt::sim::FixedDisk(Disk(reader, at), volumes());
    } else {
        reader.Fail(at + "/kind",
                    "\"kind\": one of ftdi, ftdi_multi, ch340, cp210x, prolific, arduino, "
                    "composite_cdc, cp2105, lte_modem, hub, st_link, daplink, jlink, circuitpython, "
                    "bluetooth, builtin_port, sol_port, usbasp, usb_stick, stick_without_serial, "
                    "external_disk, uasp_disk, card_reader, fixed_disk");
    }
    return device;
}

std::size_t DeviceNamed(const Reader& reader, const World& world, const std::string& at) {
    const std::string id = zt::host::ToUtf8(reader.Text(at, "\"stick\""));
    for (std::size_t i = 0; i < world.devices.size(); ++i) {
        if (world.devices[i].id == id) return i;
    }
    reader.Fail(at, "the id of a device listed under \"devices\"");
}

// A device is plugged only while it is out and unplugged only while it is in, as a hand
// at a real machine would do; `present` follows the script so far.
WorldStep ReadPlugStep(const Reader& reader, const World& world, const std::string& at, bool plug,
                       std::vector<bool>& present) {
    const std::string path = at + (plug ? "/plug" : "/unplug");
    const std::size_t device = DeviceNamed(reader, world, path);
    if (present[device] == plug) {
        reader.Fail(path, plug ? "a device that is not plugged in" : "a device that is plugged in");
    }
    present[device] = plug;
    return {plug ? WorldStep::Action::Plug : WorldStep::Action::Unplug, device, 0, reader.LineOf(at)};
}

WorldStep ReadStep(const Reader& reader, const World& world, const std::string& at,
                   std::vector<bool>& present) {
    if (reader.Has(at + "/plug")) return ReadPlugStep(reader, world, at, true, present);
    if (reader.Has(at + "/unplug")) return ReadPlugStep(reader, world, at, false, present);
    if (reader.Has(at + "/pause_ms")) {
        const std::uint64_t ms = reader.Number(at + "/pause_ms");
        if (ms > 60000) reader.Fail(at + "/pause_ms", "\"pause_ms\": at most 60000");
        return {WorldStep::Action::Pause, 0, static_cast<int>(ms), reader.LineOf(at)};
    }
    reader.Fail(at, "a step: {\"plug\": id}, {\"unplug\": id} or {\"pause_ms\": number}");
}

constexpr char kDefaultWorld[] = R"({
  "devices": [
    {"id": "com1", "kind": "builtin_port", "port": "COM1", "attached": true},
    {"id": "ftdi-desk", "kind": "ftdi", "serial": "A50285BI", "port": "COM3", "attached": true},
    {"id": "system-disk", "kind": "fixed_disk", "disk": 0, "attached": true,
     "volumes": [{"letter": "C:", "file_system": "NTFS", "size": 511101108224,
                  "free_space": 201863462912, "label": "System", "volume_serial": "5E2A91C0"}]},
    {"id": "ftdi", "kind": "ftdi", "serial": "FT12AB34", "port": "COM5"},
    {"id": "ch340", "kind": "ch340", "instance": "5&2D6E3B1&0&2", "port": "COM6"},
    {"id": "stick", "kind": "usb_stick", "serial": "4C530001230417117364", "disk": 1,
     "volumes": [{"letter": "E:", "file_system": "FAT32", "size": 8004304896,
                  "free_space": 7516192768, "label": "STICK", "volume_serial": "1A2B3C4D"},
                 {"letter": "F:", "file_system": "exFAT", "size": 8004304896,
                  "free_space": 8002732032, "label": "DATA", "volume_serial": "5E6F7081"}]},
    {"id": "usbasp", "kind": "usbasp", "serial": "www.vlx.example"}
  ],
  "script": [
    {"plug": "ftdi"}, {"unplug": "ftdi"}, {"plug": "ch340"}, {"unplug": "ch340"},
    {"plug": "stick"}, {"unplug": "stick"}, {"plug": "usbasp"}, {"unplug": "usbasp"}
  ]
})";

}  // namespace

World ParseWorld(const std::string& text, const std::string& fileName) {
    const Document document = ParseDocument(text, fileName);
    const Json& root = document.root;
    const Reader reader(document, fileName);
    if (!root.is_object()) reader.Fail("", "an object with \"devices\" and \"script\"");
    World world;
    world.fileName = fileName;
    const bool recorded = reader.Has("/version");
    if (recorded) {
        const bool known = reader.At("/version").is_number_unsigned() && reader.Number("/version") >= kOldestRecordingVersion &&
                           reader.Number("/version") <= kRecordingVersion;
        if (!known) {
            reader.Fail("/version", "\"version\": " + std::to_string(kOldestRecordingVersion) + " to " +
                                        std::to_string(kRecordingVersion));
        }
        world.recorded = ReadRecording(reader);
    }
    const Json& devices = reader.Array("/devices", !recorded);
    for (std::size_t i = 0; i < devices.size(); ++i) {
        world.devices.push_back(ReadDevice(reader, "/devices/" + std::to_string(i)));
        for (std::size_t j = 0; j + 1 < world.devices.size(); ++j) {
            if (world.devices[j].id == world.devices.back().id) {
                reader.Fail("/devices/" + std::to_string(i) + "/id", "an id used by no other device");
            }
        }
    }
    std::vector<bool> present;
    for (const WorldDevice& device : world.devices) present.push_back(device.attached);
    const Json& script = reader.Array("/script", false);
    for (std::size_t i = 0; i < script.size(); ++i) {
        world.script.push_back(ReadStep(reader, world, "/script/" + std::to_string(i), present));
    }
    for (std::size_t i = 0; i < world.recorded.broadcasts.size(); ++i) {
        if (i > 0 && world.recorded.broadcasts[i].afterMs == 0) {
            ++world.script.back().broadcasts;
            continue;
        }
        world.script.push_back({WorldStep::Action::Replay, i, 0, reader.LineOf("/broadcasts/" + std::to_string(i))});
    }
    reader.RefuseUnknownKeys();
    return world;
}

// A folder opens as a file that reads as nothing, which would be a syntax error.
World LoadWorld(const std::string& path) {
    std::error_code notFound;
    if (std::filesystem::is_directory(path, notFound)) throw WorldError(path + ": is a folder, not a world file");
    std::ifstream file(path, std::ios::binary);
    if (!file) throw WorldError(path + ": cannot read: " + std::strerror(errno));
    std::ostringstream text;
    text << file.rdbuf();
    return ParseWorld(text.str(), path);
}

World DefaultWorld() { return ParseWorld(kDefaultWorld, "built-in world"); }

namespace {

// The workstation refuses what no machine could show, such as two devices with one device
// ID or two drives with one disk number.
template <typename Change>
void AtLine(const World& world, int line, Change change) {
    try {
        change();
    } catch (const std::invalid_argument& e) {
        throw WorldError(world.fileName + ":" + std::to_string(line) +
                         ": expected a device that no other present device collides with (" +
                         e.what() + ")");
    }
}

}  // namespace

void Populate(zt::sim::Workstation& station, const World& world) {
    station.Attach(world.recorded.present);  // checked as it was read
    for (const WorldDevice& device : world.devices) {
        if (!device.attached) continue;
        AtLine(world, device.line,
               [&] { std::visit([&](const auto& d) { station.Attach(d, device.location); }, device.device); });
    }
}

void Perform(zt::sim::Workstation& station, const World& world, const WorldStep& step) {
    if (step.action == WorldStep::Action::Pause) {
        std::this_thread::sleep_for(std::chrono::milliseconds(step.pauseMs));
        return;
    }
    if (step.action == WorldStep::Action::Replay) {
        const auto& broadcasts = world.recorded.broadcasts;
        std::this_thread::sleep_for(std::chrono::milliseconds(broadcasts[step.device].afterMs));
        for (std::size_t i = step.device; i < step.device + step.broadcasts; ++i) {
            AtLine(world, step.line, [&] { station.Replay(broadcasts[i]); });
        }
        return;
    }
    const WorldDevice& plugged = world.devices[step.device];
    const auto& device = plugged.device;
    AtLine(world, step.line, [&] {
        if (step.action == WorldStep::Action::Plug) {
            std::visit([&](const auto& d) { station.Plug(d, plugged.location); }, device);
        } else {
            std::visit([&](const auto& d) { station.Unplug(d); }, device);
        }
    });
}

}  // namespace zt::testkit
