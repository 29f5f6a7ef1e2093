#include "tools/ztusbmon/world.h"

#include <chrono>
#include <fstream>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

namespace ztusbmon {
namespace {

using Json = nlohmann::json;
using zt::host::FromUtf8;

// Characters of the text with the line of the last one that was not blank, so that every
// value of the document can be given the line it stands on.
class LineCountingIterator {
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    LineCountingIterator(const char* at, const char* end, int* line) : at_(at), end_(end), line_(line) {}
    reference operator*() const { return *at_; }
    LineCountingIterator& operator++() {
        if (*at_ == '\n') ++newlines_;
        ++at_;
        const bool blank = at_ == end_ || *at_ == ' ' || *at_ == '\t' || *at_ == '\r' || *at_ == '\n';
        if (!blank) *line_ = newlines_ + 1;
        return *this;
    }
    bool operator==(const LineCountingIterator& other) const { return at_ == other.at_; }
    bool operator!=(const LineCountingIterator& other) const { return at_ != other.at_; }

private:
    const char* at_;
    const char* end_;
    int* line_;
    int newlines_ = 0;
};

// Builds the document and notes the line of every value by its JSON pointer.
class PositionedDom : public nlohmann::json_sax<Json> {
public:
    explicit PositionedDom(Json& root, const int* line) : dom_(root, true), line_(line) {}

    std::map<std::string, int> lines;

    bool null() override { return Value() && dom_.null(); }
    bool boolean(bool v) override { return Value() && dom_.boolean(v); }
    bool number_integer(number_integer_t v) override { return Value() && dom_.number_integer(v); }
    bool number_unsigned(number_unsigned_t v) override { return Value() && dom_.number_unsigned(v); }
    bool number_float(number_float_t v, const string_t& s) override {
        return Value() && dom_.number_float(v, s);
    }
    bool string(string_t& v) override { return Value() && dom_.string(v); }
    bool binary(binary_t& v) override { return Value() && dom_.binary(v); }
    bool start_object(std::size_t n) override { return Open(false) && dom_.start_object(n); }
    bool key(string_t& k) override {
        frames_.back().key = k;
        return dom_.key(k);
    }
    bool end_object() override {
        frames_.pop_back();
        return dom_.end_object();
    }
    bool start_array(std::size_t n) override { return Open(true) && dom_.start_array(n); }
    bool end_array() override {
        frames_.pop_back();
        return dom_.end_array();
    }
    bool parse_error(std::size_t position, const std::string& token,
                     const nlohmann::detail::exception& e) override {
        return dom_.parse_error(position, token, e);
    }

private:
    struct Frame {
        std::string path;
        bool array;
        std::size_t index;
        std::string key;
    };

    std::string Path() {
        if (frames_.empty()) return "";
        Frame& parent = frames_.back();
        return parent.path + "/" + (parent.array ? std::to_string(parent.index++) : parent.key);
    }
    bool Value() {
        lines[Path()] = *line_;
        return true;
    }
    bool Open(bool array) {
        const std::string path = Path();
        lines[path] = *line_;
        frames_.push_back({path, array, 0, {}});
        return true;
    }

    nlohmann::detail::json_sax_dom_parser<Json> dom_;
    const int* line_;
    std::vector<Frame> frames_;
};

// Reads the document's values, naming the line of anything that is not as expected.
class Reader {
public:
    Reader(const Json& root, const std::map<std::string, int>& lines, std::string fileName)
        : root_(root), lines_(lines), fileName_(std::move(fileName)) {}

    [[noreturn]] void Fail(const std::string& path, const std::string& expected) const {
        std::string at = path;
        auto found = lines_.find(at);
        while (found == lines_.end() && !at.empty()) {  // a missing member: its object's line
            at = at.substr(0, at.rfind('/'));
            found = lines_.find(at);
        }
        const int line = found == lines_.end() ? 1 : found->second;
        throw WorldError(fileName_ + ":" + std::to_string(line) + ": expected " + expected);
    }

    const Json& At(const std::string& path) const { return root_.at(Json::json_pointer(path)); }
    bool Has(const std::string& path) const { return root_.contains(Json::json_pointer(path)); }

    const Json& Array(const std::string& path, bool required) const {
        static const Json empty = Json::array();
        if (!Has(path)) {
            if (required) Fail(path, "\"" + Name(path) + "\": a list");
            return empty;
        }
        if (!At(path).is_array()) Fail(path, "\"" + Name(path) + "\" to be a list");
        return At(path);
    }

    zt::host::String Text(const std::string& path, const std::string& example) const {
        if (!Has(path) || !At(path).is_string() || At(path).get<std::string>().empty()) {
            Fail(path, "\"" + Name(path) + "\": a text such as " + example);
        }
        return FromUtf8(At(path).get<std::string>());
    }

    std::uint64_t Number(const std::string& path) const {
        if (!Has(path) || !At(path).is_number_unsigned()) {
            Fail(path, "\"" + Name(path) + "\": a whole number of 0 or more");
        }
        return At(path).get<std::uint64_t>();
    }

    bool Flag(const std::string& path) const {
        if (!Has(path)) return false;
        if (!At(path).is_boolean()) Fail(path, "\"" + Name(path) + "\" to be true or false");
        return At(path).get<bool>();
    }

private:
    static std::string Name(const std::string& path) { return path.substr(path.rfind('/') + 1); }

    const Json& root_;
    const std::map<std::string, int>& lines_;
    std::string fileName_;
};

std::vector<zt::sim::Volume> ReadVolumes(const Reader& reader, const std::string& device) {
    std::vector<zt::sim::Volume> volumes;
    const Json& list = reader.Array(device + "/volumes", true);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string at = device + "/volumes/" + std::to_string(i);
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
        volumes.push_back(std::move(volume));
    }
    return volumes;
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
    WorldDevice device{id, zt::sim::SerialDevice{}, reader.Flag(at + "/attached")};
    if (kind == "ftdi") {
        device.device = zt::sim::FtdiAdapter(serial(), port());
    } else if (kind == "ftdi_multi") {
        device.device = zt::sim::FtdiMultiChannel(serial(), ReadPorts(reader, at));
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
        device.device = zt::sim::UsbStick(serial(), Disk(reader, at), ReadVolumes(reader, at));
    } else if (kind == "external_disk") {
        device.device = zt::sim::ExternalHardDisk(serial(), Disk(reader, at), ReadVolumes(reader, at));
    } else if (kind == "fixed_disk") {
        device.device = zt::sim::FixedDisk(Disk(reader, at), ReadVolumes(reader, at));
    } else {
        reader.Fail(at + "/kind",
                    "\"kind\": one of ftdi, ftdi_multi, ch340, cp210x, prolific, arduino, "
                    "composite_cdc, bluetooth, builtin_port, sol_port, usbasp, usb_stick, "
                    "external_disk, fixed_disk");
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

WorldStep ReadStep(const Reader& reader, const World& world, const std::string& at) {
    if (reader.Has(at + "/plug")) return {WorldStep::Action::Plug, DeviceNamed(reader, world, at + "/plug"), 0};
    if (reader.Has(at + "/unplug")) {
        return {WorldStep::Action::Unplug, DeviceNamed(reader, world, at + "/unplug"), 0};
    }
    if (reader.Has(at + "/pause_ms")) {
        const std::uint64_t ms = reader.Number(at + "/pause_ms");
        if (ms > 60000) reader.Fail(at + "/pause_ms", "\"pause_ms\": at most 60000");
        return {WorldStep::Action::Pause, 0, static_cast<int>(ms)};
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
    Json root;
    int line = 1;
    PositionedDom dom(root, &line);
    const char* end = text.data() + text.size();
    try {
        Json::sax_parse(LineCountingIterator(text.data(), end, &line),
                        LineCountingIterator(end, end, &line), &dom);
    } catch (const Json::exception& e) {
        // "[json.exception.parse_error.101] parse error at line 3, column 5: ..." -> what follows
        const std::string message = e.what();
        const auto colon = message.find(": ", message.find("column"));
        throw WorldError(fileName + ":" + std::to_string(line) + ": " +
                         (colon == std::string::npos ? message : message.substr(colon + 2)));
    }
    const Reader reader(root, dom.lines, fileName);
    if (!root.is_object()) reader.Fail("", "an object with \"devices\" and \"script\"");
    World world;
    const Json& devices = reader.Array("/devices", true);
    for (std::size_t i = 0; i < devices.size(); ++i) {
        world.devices.push_back(ReadDevice(reader, "/devices/" + std::to_string(i)));
        for (std::size_t j = 0; j + 1 < world.devices.size(); ++j) {
            if (world.devices[j].id == world.devices.back().id) {
                reader.Fail("/devices/" + std::to_string(i) + "/id", "an id used by no other device");
            }
        }
    }
    const Json& script = reader.Array("/script", false);
    for (std::size_t i = 0; i < script.size(); ++i) {
        world.script.push_back(ReadStep(reader, world, "/script/" + std::to_string(i)));
    }
    return world;
}

World LoadWorld(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw WorldError(path + ": cannot be read");
    std::ostringstream text;
    text << file.rdbuf();
    return ParseWorld(text.str(), path);
}

World DefaultWorld() { return ParseWorld(kDefaultWorld, "built-in world"); }

void Populate(zt::sim::Workstation& station, const World& world) {
    for (const WorldDevice& device : world.devices) {
        if (device.attached) std::visit([&](const auto& d) { station.Attach(d); }, device.device);
    }
}

void Perform(zt::sim::Workstation& station, const World& world, const WorldStep& step) {
    if (step.action == WorldStep::Action::Pause) {
        std::this_thread::sleep_for(std::chrono::milliseconds(step.pauseMs));
        return;
    }
    const auto& device = world.devices[step.device].device;
    if (step.action == WorldStep::Action::Plug) {
        std::visit([&](const auto& d) { station.Plug(d); }, device);
    } else {
        std::visit([&](const auto& d) { station.Unplug(d); }, device);
    }
}

}  // namespace ztusbmon
