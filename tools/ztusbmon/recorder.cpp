#include "tools/ztusbmon/recorder.h"

#include <algorithm>
#include <set>

#include "ztusb/detector/wmi_text.h"
#include "ztusb/host/string_list.h"
#include "ztusb/world/cim_schema.h"
#include "ztusb/world/object_text.h"
#include "ztusb/testkit/recording.h"
#include "ztusb/win32/api.h"
#include "ztusb/win32/device_tree.h"
#include "ztusb/win32/registry_values.h"
#include "ztusb/wmi/ZtWmiU.h"
#include "ztusb/win32/windows_names.h"

namespace ztusbmon {
namespace {

namespace win32 = zt::win32;
namespace wmi_text = zt_usb_detector::wmi_text;
using zt::testkit::kNodeTexts;
using zt::testkit::kRecordingVersion;
using zt::testkit::kRegistryTypes;
using zt::testkit::NamedNodeText;
using zt::testkit::RegistryType;
using zt::host::String;
using zt::host::ToUtf8;


std::string Hex(const win32::BYTE* data, std::size_t size) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (std::size_t i = 0; i < size; ++i) {
        hex += kDigits[data[i] >> 4];
        hex += kDigits[data[i] & 15];
    }
    return hex;
}

Json RegistryValue(const String& name, win32::DWORD type, const win32::BYTE* data, win32::DWORD size) {
    Json value = {{"name", ToUtf8(name)}};
    const auto known = std::find_if(std::begin(kRegistryTypes), std::end(kRegistryTypes),
                                    [&](const RegistryType& t) { return t.type == type; });
    value["type"] = known == std::end(kRegistryTypes) ? "REG_BINARY" : known->name;
    if (known != std::end(kRegistryTypes) && known->text) {  // UTF-16 up to the first null
        String text(size / sizeof(char16_t), u'\0');
        for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
        value["data"] = ToUtf8(text.substr(0, text.find(u'\0')));
    } else {
        value["hex"] = Hex(data, size);
    }
    return value;
}

Json SerialPortMap() {
    Json values = Json::array();
    for (const win32::RegistryValue& value : win32::ReadRegistryValues(u"HARDWARE\\DEVICEMAP\\SERIALCOMM").values) {
        values.push_back(RegistryValue(value.name, value.type, value.data.data(), static_cast<win32::DWORD>(value.data.size())));
    }
    return values;
}

// A quoted value's escapes undone. Windows doubles \ and escapes "; a backslash before any
// other character is one that was not escaped, as some WMI implementations write them.
std::string QuotedValue(std::u16string_view raw) {
    String text;
    for (std::size_t at = 0; at < raw.size(); ++at) {
        if (raw[at] == u'\\' && at + 1 < raw.size() && (raw[at + 1] == u'\\' || raw[at + 1] == u'"')) ++at;
        text += raw[at];
    }
    return ToUtf8(text);
}

bool IsInteger(std::u16string_view text) {
    const std::size_t digits = !text.empty() && text[0] == u'-' ? 1 : 0;
    return text.size() > digits &&
           std::all_of(text.begin() + static_cast<std::ptrdiff_t>(digits), text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

// One value of object text: "text", a number, TRUE or FALSE.
Json ScalarValue(std::u16string_view text) {
    if (text.size() >= 2 && text.front() == u'"' && text.back() == u'"') return QuotedValue(text.substr(1, text.size() - 2));
    if (text == u"TRUE" || text == u"FALSE") return text == u"TRUE";
    if (IsInteger(text)) return Json::parse(ToUtf8(String(text)));
    return ToUtf8(String(text));
}

// The elements of {a, b, "c, d"}: commas inside quotes belong to the text.
Json ListValue(std::u16string_view text) {
    Json list = Json::array();
    const std::u16string_view inner = text.substr(1, text.size() - 2);
    std::size_t start = 0;
    bool quoted = false;
    for (std::size_t at = 0; at <= inner.size(); ++at) {
        if (at < inner.size() && inner[at] == u'\\' && quoted) {
            ++at;
        } else if (at < inner.size() && inner[at] == u'"') {
            quoted = !quoted;
        } else if (at == inner.size() || (inner[at] == u',' && !quoted)) {
            const String element = zt::host::Trim(inner.substr(start, at - start));
            if (!element.empty()) list.push_back(ScalarValue(element));
            start = at + 1;
        }
    }
    return list;
}

// The value as WMI gives it, in the type the schema knows the property by: a 64-bit number
// is a text even where object text writes it bare.
Json PropertyValue(const zt::world::CimClass* cimClass, std::u16string_view name, std::u16string_view text) {
    Json value = !text.empty() && text.front() == u'{' && text.back() == u'}' ? ListValue(text) : ScalarValue(text);
    const zt::world::CimProperty* known = cimClass == nullptr ? nullptr : cimClass->Find(name);
    if (known == nullptr || value.is_array()) return value;
    const bool asText = known->type == zt::world::CimType::Text || known->type == zt::world::CimType::UInt64;
    if (asText && !value.is_string()) return value.is_boolean() ? (value.get<bool>() ? "TRUE" : "FALSE") : value.dump();
    return value;
}

struct Instance {
    std::string className;
    Json properties = Json::object();
};

// The objects of a query's result, read back from their text lines.
std::vector<Instance> Query(const String& wql) {
    zt::host::TStringList lines;
    ZtWmiU::DoWmiScript(wql, lines);
    std::vector<Instance> instances;
    const zt::world::CimClass* cimClass = nullptr;
    for (int i = 0; i < lines.Count(); ++i) {
        const String& line = lines[i];
        if (wmi_text::StartsObject(line)) {
            const String className = zt::host::Trim(std::u16string_view(line).substr(line.find(u"of ") + 3));
            cimClass = zt::world::FindCimClass(className);
            instances.push_back({ToUtf8(className)});
            continue;
        }
        const std::u16string_view name = wmi_text::PropertyName(line);
        if (name.empty() || instances.empty()) continue;
        std::u16string_view value = std::u16string_view(line).substr(line.find(u" = ") + 3);
        while (!value.empty() && (value.back() == u';' || value.back() == u' ' || value.back() == u'\r')) value.remove_suffix(1);
        instances.back().properties[ToUtf8(String(name))] = PropertyValue(cimClass, name, value);
    }
    return instances;
}

std::string KeyOf(const Instance& instance) {
    const auto key = instance.properties.find("DeviceID");
    return key != instance.properties.end() && key->is_string() ? key->get<std::string>() : std::string();
}

// Instances once each, in the order they were first reached; one without a key could not
// be told from another, nor loaded.
class Collection {
public:
    void Add(const Instance& instance) {
        if (KeyOf(instance).empty() || !seen_.insert(instance.className + "." + KeyOf(instance)).second) return;
        instances.push_back({{"class", instance.className}, {"properties", instance.properties}});
    }
    void Link(const std::string& association, const std::string& antecedent, const std::string& dependent) {
        if (!seen_.insert(association + "." + antecedent + "." + dependent).second) return;
        links.push_back({{"class", association}, {"antecedent", antecedent}, {"dependent", dependent}});
    }
    Json instances = Json::array();
    Json links = Json::array();

private:
    std::set<std::string> seen_;
};

// "VID_0403&PID_6001" from a device ID that names them, with & or + between them.
String VendorAndProduct(const String& deviceId) {
    const String upper = zt::host::UpperCase(deviceId);
    const std::size_t vid = upper.find(u"VID_");
    const std::size_t pid = upper.find(u"PID_");
    if (vid == String::npos || pid == String::npos || vid + 8 > upper.size() || pid + 8 > upper.size()) return {};
    return upper.substr(vid, 8) + u"&" + upper.substr(pid, 8);
}

void RecordPorts(Collection& collection) {
    std::set<String> models;
    for (const String& wql : {String(u"SELECT * FROM Win32_PnPEntity WHERE Caption LIKE \"%(COM%\""),
                              String(u"SELECT * FROM Win32_PnPEntity WHERE Caption LIKE \"%USBASP%\"")}) {
        for (const Instance& instance : Query(wql)) {
            collection.Add(instance);
            const String model = VendorAndProduct(zt::host::FromUtf8(KeyOf(instance)));
            if (!model.empty()) models.insert(model);
        }
    }
    for (const String& model : models) {
        const String wql = u"SELECT * FROM Win32_PnPEntity WHERE DeviceID LIKE \"USB\\\\" + wmi_text::LikeLiteral(model) + u"%\"";
        for (const Instance& instance : Query(wql)) collection.Add(instance);
    }
}

std::vector<Instance> Associators(const Instance& instance, const char16_t* association) {
    return Query(u"ASSOCIATORS OF {" + zt::host::FromUtf8(instance.className) + u".DeviceID=" +
                 zt::world::WrittenString(zt::host::FromUtf8(KeyOf(instance))) + u"} WHERE AssocClass = " + association);
}

void RecordDisks(Collection& collection) {
    const auto drives = Query(u"SELECT * FROM Win32_DiskDrive WHERE MediaType LIKE \"Removable Media%\" OR "
                              u"MediaType LIKE \"External hard disk%\"");
    for (const Instance& drive : drives) {
        collection.Add(drive);
        for (const Instance& partition : Associators(drive, u"Win32_DiskDriveToDiskPartition")) {
            collection.Add(partition);
            collection.Link("Win32_DiskDriveToDiskPartition", KeyOf(drive), KeyOf(partition));
            for (const Instance& volume : Associators(partition, u"Win32_LogicalDiskToPartition")) {
                collection.Add(volume);
                collection.Link("Win32_LogicalDiskToPartition", KeyOf(partition), KeyOf(volume));
            }
        }
    }
}

Json NodeJson(const win32::DeviceTree& tree, win32::DevNode node) {
    Json recorded = {{"id", ToUtf8(tree.Id(node))}};
    if (const auto parent = tree.Parent(node)) recorded["parent"] = ToUtf8(tree.Id(*parent));
    for (const NamedNodeText& text : kNodeTexts) {
        if (const auto value = tree.Text(node, text.property)) recorded[text.name] = ToUtf8(*value);
    }
    Json paths = Json::array();
    for (const String& path : tree.LocationPaths(node)) paths.push_back(ToUtf8(path));
    if (!paths.empty()) recorded["location_paths"] = std::move(paths);
    return recorded;
}

// The USB devices' nodes, with what is above them up to the tree's root (controllers, root
// hubs) and what hangs below them (interfaces, ports, disks), parents first.
Json DeviceTreeNodes() {
    const auto tree = win32::CurrentDeviceTree();
    Json nodes = Json::array();
    std::set<String> recorded;
    const auto add = [&](win32::DevNode node) {
        if (recorded.insert(zt::host::UpperCase(tree->Id(node))).second) nodes.push_back(NodeJson(*tree, node));
    };
    for (const String& id : tree->DeviceIds(u"USB")) {
        const auto device = tree->Locate(id);
        if (!device) continue;
        std::vector<win32::DevNode> above;
        for (auto at = tree->Parent(*device); at && tree->Parent(*at); at = tree->Parent(*at)) above.push_back(*at);
        std::for_each(above.rbegin(), above.rend(), add);
        std::vector<win32::DevNode> pending = {*device};
        while (!pending.empty()) {
            const win32::DevNode node = pending.back();
            pending.pop_back();
            add(node);
            std::vector<win32::DevNode> children;
            for (auto child = tree->Child(node); child; child = tree->Sibling(*child)) children.push_back(*child);
            pending.insert(pending.end(), children.rbegin(), children.rend());
        }
    }
    return nodes;
}

std::string MachineName(const Json& instances) {
    for (const Json& instance : instances) {
        const auto name = instance["properties"].find("SystemName");
        if (name != instance["properties"].end() && name->is_string()) return name->get<std::string>();
    }
    return {};
}

}  // namespace

Json RecordMachine() {
    Collection collection;
    RecordPorts(collection);
    RecordDisks(collection);
    Json recording = {{"version", kRecordingVersion}};
    if (const std::string machine = MachineName(collection.instances); !machine.empty()) recording["machine"] = machine;
    recording["serial_ports"] = SerialPortMap();
    recording["instances"] = std::move(collection.instances);
    recording["associations"] = std::move(collection.links);
    recording["device_tree"] = DeviceTreeNodes();
    return recording;
}

}  // namespace ztusbmon
