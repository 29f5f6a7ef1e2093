#include "tools/ztusbmon/report.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "tools/ztusbmon/device_report.h"
#include "ztusb/detector/port_path.h"
#include "ztusb/detector/usb_id.h"
#include "ztusb/host/shown_text.h"

namespace ztusbmon {
namespace {

using Json = nlohmann::ordered_json;
using zt::host::ToUtf8;

const char* Direction(std::int32_t inout) { return inout == 1 ? "arrived" : "left"; }

// Exact, for JSON, which escapes what it must itself.
std::string Text(const zt::host::String& text) { return ToUtf8(text); }

// For the terminal: a device's control characters would drive it.
std::string Shown(const zt::host::String& text) { return zt::host::ShownText(text); }

// The library's zero-terminated text in a fixed buffer: 8-bit text in the system's code
// page (a device's EEPROM may say "Ger\xE4t"), never assumed to be UTF-8.
template <std::size_t Size>
zt::host::String BufferText(const char (&buffer)[Size]) {
    return zt::host::FromAnsi(std::string(buffer, std::find(buffer, buffer + Size, '\0')));
}

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

// VID_0403 -> 1027; null for a port without one.
Json IdNumber(const zt::host::String& id) {
    const auto number = zt_usb_detector::UsbIdNumber(id);
    return number ? Json(*number) : Json(nullptr);
}

// How each kind of record is shown: as JSON, as a table row, and what the table is called.
template <typename Record>
struct Format;

template <>
struct Format<zt_usb_detector::TZtComInfo> {
    static constexpr const char* kNone = "No COM ports.";
    static constexpr const char* kEvent = "new_com_info";
    static constexpr const char* kList = "ports";
    static constexpr const char* kTitle = "New COM port details:";
    static std::vector<std::string> Header() {
        return {"PORT", "NUMBER", "TYPE", "VID", "PID", "SERIAL", "MANUFACTURER", "CHIP"};
    }
    static Json AsJson(const zt_usb_detector::TZtComInfo& port) {
        return {{"port", Text(port.sPort)},
                {"number", port.iPort},
                {"path", Text(zt_usb_detector::PortPath(port.sPort))},
                {"type", Text(port.PortType)},
                {"vid", Text(port.VID)},
                {"pid", Text(port.PID)},
                {"vendor_id", IdNumber(port.VID)},
                {"product_id", IdNumber(port.PID)},
                {"serial", Text(port.Serial)},
                {"manufacturer", Text(port.Manufacturer)},
                {"chip", Text(port.Chip)}};
    }
    static std::vector<std::string> Row(const zt_usb_detector::TZtComInfo& port) {
        return {Shown(port.sPort),  std::to_string(port.iPort), Shown(port.PortType),
                Shown(port.VID),    Shown(port.PID),             Shown(port.Serial),
                Shown(port.Manufacturer), Shown(port.Chip)};
    }
};

template <>
struct Format<zt_usb_detector::TZtVolInfo> {
    static constexpr const char* kNone = "No volumes on removable or external drives.";
    static constexpr const char* kEvent = "new_vol_info";
    static constexpr const char* kList = "volumes";
    static constexpr const char* kTitle = "New volume details:";
    static std::vector<std::string> Header() {
        return {"DRIVE", "FILE SYSTEM", "SIZE", "FREE", "LABEL", "VOLUME SERIAL", "DRIVE CAPTION",
                "USB SERIAL"};
    }
    static Json AsJson(const zt_usb_detector::TZtVolInfo& volume) {
        return {{"drive", Text(volume.DeviceID)},        {"file_system", Text(volume.FileSystem)},
                {"size", volume.Size},                   {"free_space", volume.FreeSpace},
                {"label", Text(volume.VolName)},         {"volume_serial", Text(volume.VolSerial)},
                {"drive_caption", Text(volume.FulName)}, {"usb_serial", Text(volume.PNPDeviceID)}};
    }
    static std::vector<std::string> Row(const zt_usb_detector::TZtVolInfo& volume) {
        return {Shown(volume.DeviceID),      Shown(volume.FileSystem), ReadableSize(volume.Size),
                ReadableSize(volume.FreeSpace), Shown(volume.VolName), Shown(volume.VolSerial),
                Shown(volume.FulName),       Shown(volume.PNPDeviceID)};
    }
};

}  // namespace

std::string ReadableSize(std::int64_t bytes) {
    if (bytes < 0) return "unknown";
    static const char* units[] = {"bytes", "KB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes);
    std::size_t unit = 0;
    while (value >= 1024.0 && unit + 1 < std::size(units)) {
        value /= 1024.0;
        ++unit;
    }
    char text[32];
    if (unit == 0) {
        std::snprintf(text, sizeof text, "%lld bytes", static_cast<long long>(bytes));
    } else {
        std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
    }
    return text;
}

void Report::Line(const std::string& text) const {
    std::fprintf(out_, "%s\n", text.c_str());
    std::fflush(out_);
}

void Report::Heading(const std::string& title) const {
    if (!json_) Line(title);
}

void Report::Table(const std::vector<std::string>& header,
                   const std::vector<std::vector<std::string>>& rows) const {
    // Columns of the terminal, not bytes: a Chinese caption takes two per character.
    using zt::host::ShownWidth;
    std::vector<std::size_t> widths(header.size());
    for (std::size_t c = 0; c < header.size(); ++c) {
        widths[c] = ShownWidth(header[c]);
        for (const auto& row : rows) widths[c] = std::max(widths[c], ShownWidth(row[c]));
    }
    const auto print = [&](const std::vector<std::string>& cells) {
        std::string line;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            line += cells[c];
            if (c + 1 < cells.size()) line += std::string(widths[c] - ShownWidth(cells[c]) + 2, ' ');
        }
        Line(line.substr(0, line.find_last_not_of(' ') + 1));
    };
    print(header);
    for (const auto& row : rows) print(row);
}

void Report::Ports(const zt::host::TStringList& ports, bool withNames) const {
    for (int i = 0; i < ports.Count(); ++i) {
        if (json_) {
            const zt::host::String port = ports[i].substr(0, ports[i].find(u' '));
            Json line = {{"port", Text(port)},
                         {"number", ports.Objects(i)},
                         {"path", Text(zt_usb_detector::PortPath(port))}};
            if (withNames) line["text"] = Text(ports[i]);
            Line(line.dump());
        } else {
            Line(Shown(ports[i]));
        }
    }
    if (!json_ && ports.Count() == 0) Line("No COM ports.");
}

template <typename Record>
void Report::Records(const std::vector<Record>& records, int count) const {
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < count; ++i) {
        const Record& record = records[static_cast<std::size_t>(i)];
        json_ ? Line(Format<Record>::AsJson(record).dump()) : rows.push_back(Format<Record>::Row(record));
    }
    if (!json_) count == 0 ? Line(Format<Record>::kNone) : Table(Format<Record>::Header(), rows);
}

// The records an inquiry found, as one event line in JSON or a titled table.
template <typename Record>
void Report::InfoEvent(const std::vector<Record>& records, int count) const {
    if (!json_) {
        Line(Format<Record>::kTitle);
        Records(records, count);
        return;
    }
    Json list = Json::array();
    for (int i = 0; i < count; ++i) list.push_back(Format<Record>::AsJson(records[static_cast<std::size_t>(i)]));
    Line(Json{{"event", Format<Record>::kEvent}, {"count", count}, {Format<Record>::kList, list}}.dump());
}

void Report::PortDetails(const std::vector<zt_usb_detector::TZtComInfo>& ports, int count) const {
    Records(ports, count);
}

void Report::Volumes(const std::vector<zt_usb_detector::TZtVolInfo>& volumes, int count) const {
    Records(volumes, count);
}

void Report::Usbasp(const zt::host::String* name) const {
    if (json_) {
        Json line = {{"usbasp", nullptr}};
        if (name != nullptr) line = {{"usbasp", Text(*name)}, {"vid", "VID_16C0"}, {"pid", "PID_05DC"}};
        Line(line.dump());
    } else {
        Line(name != nullptr ? "USBasp programmer: " + Shown(*name) + " (VID_16C0 PID_05DC)"
                             : "No USBasp programmer attached.");
    }
}

void Report::FtdiDevices(const D2XXUnit_ZT::TFT_DeviceInfoList& devices) const {
    std::vector<std::vector<std::string>> rows;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const auto& d = devices[i];
        if (json_) {
            Line(Json{{"index", i}, {"flags", d.Flags}, {"type", d.DeviceType}, {"id", Hex(d.ID)},
                      {"location", Hex(d.LocID)}, {"serial", Text(BufferText(d.SerialNumber))},
                      {"description", Text(BufferText(d.Description))}}.dump());
        } else {
            rows.push_back({std::to_string(i), Hex(d.Flags), std::to_string(d.DeviceType), Hex(d.ID),
                            Hex(d.LocID), Shown(BufferText(d.SerialNumber)), Shown(BufferText(d.Description))});
        }
    }
    if (!json_) {
        devices.empty() ? Line("No FTDI devices.")
                        : Table({"INDEX", "FLAGS", "TYPE", "ID", "LOCATION", "SERIAL", "DESCRIPTION"}, rows);
    }
}

void Report::Devices(const std::vector<zt::devices::UsbDevice>& devices) const {
    if (json_) {
        for (const auto& device : devices) Line(DeviceJson(device).dump());
        return;
    }
    if (devices.empty()) Line("No USB devices.");
    for (const std::string& line : DeviceTree(devices)) Line(line);
}

void Report::Attach(zt_usb_detector::TZtUsbDetector& detector) const {
    detector.OnComDetect = [this](zt::host::TObject*, const zt::host::String& port, std::int32_t inout) {
        json_ ? Line(Json{{"event", "com"}, {"port", Text(port)}, {"inout", inout}}.dump())
              : Line("COM port " + Shown(port) + " " + Direction(inout));
    };
    detector.OnVolumeDetect = [this](zt::host::TObject*, const zt::host::String& volume,
                                     std::int32_t inout) {
        json_ ? Line(Json{{"event", "volume"}, {"drive", Text(volume)}, {"inout", inout}}.dump())
              : Line("Volume " + Shown(volume) + ": " + Direction(inout));
    };
    detector.OnUsbDetect = [this](zt::host::TObject*, const zt::host::String& name,
                                  const zt::host::String& vid, const zt::host::String& pid,
                                  std::int32_t inout) {
        json_ ? Line(Json{{"event", "usb"}, {"name", Text(name)}, {"vid", Text(vid)},
                          {"pid", Text(pid)}, {"inout", inout}}.dump())
              : Line("USB device " + Shown(name) + " " + Direction(inout) + " (" + Shown(vid) + " " +
                     Shown(pid) + ")");
    };
    detector.OnNewComInfo = [this](zt::host::TObject*, std::vector<zt_usb_detector::TZtComInfo> ports,
                                   std::int32_t count) { InfoEvent(ports, count); };
    detector.OnNewVolInfo = [this](zt::host::TObject*, std::vector<zt_usb_detector::TZtVolInfo> volumes,
                                   std::int32_t count) { InfoEvent(volumes, count); };
}

}  // namespace ztusbmon
