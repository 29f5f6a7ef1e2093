#include "tools/ztusbmon/redaction.h"

#include <algorithm>
#include <map>

namespace ztusbmon {
namespace {

// Shorter serials say nothing of whose a device is, and replacing them everywhere would
// change unrelated texts.
constexpr std::size_t kShortestSecret = 4;

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; });
    return text;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at = text.find(separator); at != std::string::npos; at = text.find(separator, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

// The serial number a device ID carries: USB\VID_x&PID_y\<serial>, FTDIBUS\VID_x+PID_y+
// <serial><channel>\0000, USBSTOR\<disk>\<serial>&<LUN>. An instance Windows made up
// (with & in it) is no serial.
std::string SerialIn(const std::string& deviceId) {
    const std::vector<std::string> segments = Split(deviceId, '\\');
    if (segments.size() != 3) return {};
    const std::string bus = Upper(segments[0]);
    if (bus == "FTDIBUS") {
        const std::vector<std::string> parts = Split(segments[1], '+');
        return parts.size() == 3 && parts[2].size() > 1 ? parts[2].substr(0, parts[2].size() - 1) : std::string();
    }
    std::string instance = segments[2];
    if (bus == "USBSTOR") instance = instance.substr(0, instance.rfind('&'));
    if (bus != "USB" && bus != "USBSTOR") return {};
    return instance.find('&') == std::string::npos ? instance : std::string();
}

class Redactor {
public:
    void NoteSerial(const std::string& serial) {
        if (serial.size() < kShortestSecret || serials_.count(Upper(serial))) return;
        std::string made = std::to_string(serials_.size() + 1);
        serials_[Upper(serial)] = std::string(serial.size() > made.size() ? serial.size() - made.size() : 0, '0') + made;
    }

    std::string Replaced(const std::string& text) const {
        std::string result = text;
        // Longest first, so that a serial inside a longer one does not split it.
        std::vector<std::pair<std::string, std::string>> ordered(serials_.begin(), serials_.end());
        std::sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
        for (const auto& [serial, made] : ordered) {
            for (std::size_t at = Upper(result).find(serial); at != std::string::npos; at = Upper(result).find(serial, at + made.size())) {
                result.replace(at, serial.size(), made);
            }
        }
        return result;
    }

    std::string Label(const std::string& label) { return Made(labels_, label, "LABEL"); }
    std::string Machine(const std::string& machine) { return Made(machines_, machine, "MACHINE"); }

private:
    static std::string Made(std::map<std::string, std::string>& made, const std::string& text, const std::string& prefix) {
        const auto found = made.find(text);
        if (found != made.end()) return found->second;
        return made[text] = prefix + std::to_string(made.size() + 1);
    }

    std::map<std::string, std::string> serials_;  // by the serial in capitals
    std::map<std::string, std::string> labels_;
    std::map<std::string, std::string> machines_;
};

const char* const kSerialProperties[] = {"DeviceID", "PNPDeviceID", "SerialNumber", "VolumeSerialNumber"};

void NoteSerials(Redactor& redactor, const Json& instances) {
    for (const Json& instance : instances) {
        for (const char* name : kSerialProperties) {
            const auto value = instance["properties"].find(name);
            if (value == instance["properties"].end() || !value->is_string()) continue;
            const std::string text = value->get<std::string>();
            const bool wholeValue = std::string(name).find("Serial") != std::string::npos;
            redactor.NoteSerial(wholeValue ? text.substr(0, text.find_last_not_of(' ') + 1) : SerialIn(text));
        }
    }
}

// A device known only from the tree (a hub, a device without a port or drive) has its serial
// in its node's ID.
void NoteNodeSerials(Redactor& redactor, const Json& nodes) {
    for (const Json& node : nodes) redactor.NoteSerial(SerialIn(node.value("id", "")));
}

// Every text of the value, wherever it is nested.
void ReplaceTexts(Redactor& redactor, Json& value, const std::string& member) {
    if (value.is_string()) {
        if (member == "VolumeName") {
            value = redactor.Label(value.get<std::string>());
        } else if (member == "SystemName" || member == "machine") {
            value = redactor.Machine(value.get<std::string>());
        } else {
            value = redactor.Replaced(value.get<std::string>());
        }
        return;
    }
    if (value.is_object()) {
        for (auto& [name, item] : value.items()) ReplaceTexts(redactor, item, name);
    } else if (value.is_array()) {
        for (Json& item : value) ReplaceTexts(redactor, item, member);
    }
}

}  // namespace

void Redact(Json& recording) {
    Redactor redactor;
    NoteSerials(redactor, recording.value("instances", Json::array()));
    NoteNodeSerials(redactor, recording.value("device_tree", Json::array()));
    for (const Json& broadcast : recording.value("broadcasts", Json::array())) {
        const Json came = broadcast.value("came", Json::object());
        NoteSerials(redactor, came.value("instances", Json::array()));
        NoteNodeSerials(redactor, came.value("device_tree", Json::array()));
    }
    ReplaceTexts(redactor, recording, "");
}

}  // namespace ztusbmon
