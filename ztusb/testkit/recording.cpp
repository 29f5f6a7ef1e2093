#include "ztusb/testkit/recording.h"

#include <algorithm>

#include "ztusb/world/object_text.h"
#include "ztusb/world/registry.h"
#include "ztusb/win32/api.h"

namespace zt::testkit {
namespace {

using zt::host::String;
using zt::world::CimProperty;
using zt::world::CimType;

std::string Item(const std::string& list, std::size_t index) { return list + "/" + std::to_string(index); }

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::vector<zt::win32::BYTE> HexBytes(const Reader& reader, const std::string& at) {
    const std::string hex = reader.Has(at) && reader.At(at).is_string() ? reader.At(at).get<std::string>() : "-";
    std::vector<zt::win32::BYTE> bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexDigit(hex[i]);
        const int low = i + 1 < hex.size() ? HexDigit(hex[i + 1]) : -1;
        if (high < 0 || low < 0) reader.Fail(at, "\"hex\": bytes as pairs of hex digits, such as \"0a00\"");
        bytes.push_back(static_cast<zt::win32::BYTE>(high * 16 + low));
    }
    return bytes;
}

zt::world::RecordedRegistryValue ReadRegistryValue(const Reader& reader, const std::string& at) {
    const String name = reader.Text(at + "/name", "\"\\\\Device\\\\VCP0\"");
    const std::string typeName = zt::host::ToUtf8(reader.Text(at + "/type", "\"REG_SZ\""));
    const auto type = std::find_if(std::begin(kRegistryTypes), std::end(kRegistryTypes),
                                   [&](const RegistryType& t) { return typeName == t.name; });
    if (type == std::end(kRegistryTypes)) {
        reader.Fail(at + "/type", "\"type\": REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD or REG_MULTI_SZ");
    }
    if (type->text) return {name, type->type, zt::world::RegistryText(reader.Text(at + "/data", "\"COM3\""))};
    return {name, type->type, HexBytes(reader, at + "/hex")};
}

bool IsScalar(const Json& value) { return value.is_string() || value.is_number_integer() || value.is_boolean(); }

String ScalarText(const Json& value) {
    if (value.is_string()) return zt::world::WrittenString(zt::host::FromUtf8(value.get<std::string>()));
    if (value.is_boolean()) return value.get<bool>() ? u"TRUE" : u"FALSE";
    return zt::host::FromUtf8(value.dump());
}

bool IsDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A known property's value as the repository takes it; the type must be the one WMI gives.
String KnownValue(const Reader& reader, const std::string& at, const CimProperty& property, const Json& value) {
    const std::string name = std::string(1, '"').append(Reader::Name(at)).append("\": ");
    switch (property.type) {
        case CimType::Text:
            if (!value.is_string()) reader.Fail(at, name + "a text");
            return zt::host::FromUtf8(value.get<std::string>());
        case CimType::UInt64:  // WMI gives 64-bit numbers as texts
            if (!value.is_string() || !IsDigits(value.get<std::string>())) {
                reader.Fail(at, name + "a number written as a text, such as \"16008523776\"");
            }
            return zt::host::FromUtf8(value.get<std::string>());
        case CimType::Boolean:
            if (!value.is_boolean()) reader.Fail(at, name + "true or false");
            return value.get<bool>() ? u"TRUE" : u"FALSE";
        default:
            if (!value.is_number_unsigned()) reader.Fail(at, name + "a whole number of 0 or more");
            return zt::host::FromUtf8(value.dump());
    }
}

bool IsPropertyName(const std::string& name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    });
}

const zt::world::CimClass& InstanceClass(const Reader& reader, const std::string& at) {
    const zt::world::CimClass* cimClass = zt::world::FindCimClass(reader.Text(at, "\"Win32_PnPEntity\""));
    if (cimClass == nullptr || cimClass->IsAssociation()) {
        reader.Fail(at, "\"class\": Win32_PnPEntity, Win32_DiskDrive, Win32_DiskPartition or Win32_LogicalDisk");
    }
    return *cimClass;
}

const zt::world::CimClass& AssociationClass(const Reader& reader, const std::string& at) {
    const zt::world::CimClass* cimClass = zt::world::FindCimClass(reader.Text(at, "\"Win32_LogicalDiskToPartition\""));
    if (cimClass == nullptr || !cimClass->IsAssociation()) {
        reader.Fail(at, "\"class\": Win32_DiskDriveToDiskPartition or Win32_LogicalDiskToPartition");
    }
    return *cimClass;
}

zt::world::RecordedInstance ReadInstance(const Reader& reader, const std::string& at) {
    const zt::world::CimClass& cimClass = InstanceClass(reader, at + "/class");
    const std::string list = at + "/properties";
    if (!reader.Has(list) || !reader.At(list).is_object()) reader.Fail(list, "\"properties\": an object");
    zt::world::RecordedInstance instance{cimClass.name, {}, {}};
    for (const auto& [name, value] : reader.AnyMembers(list).items()) {
        const std::string path = Reader::Member(list, name);
        if (value.is_null()) continue;  // WMI leaves null properties out
        if (const CimProperty* property = cimClass.Find(zt::host::FromUtf8(name))) {
            instance.values.emplace_back(property->name, KnownValue(reader, path, *property, value));
            continue;
        }
        const bool scalars = value.is_array() && std::all_of(value.begin(), value.end(), IsScalar);
        if (!IsPropertyName(name)) reader.Fail(path, "a property name of letters, digits and _");
        if (!IsScalar(value) && !scalars) reader.Fail(path, "\"" + name + "\": a text, number, true, false or a list of those");
        instance.written.push_back({zt::host::FromUtf8(name), ObjectTextValue(value)});
    }
    if (!reader.Has(Reader::Member(list, zt::host::ToUtf8(cimClass.Key().name)))) {
        reader.Fail(list, "\"" + zt::host::ToUtf8(cimClass.Key().name) + "\": the instance's key");
    }
    return instance;
}

zt::world::RecordedLink ReadLink(const Reader& reader, const std::string& at) {
    return {AssociationClass(reader, at + "/class").name, reader.Text(at + "/antecedent", "\"Disk #1, Partition #0\""),
            reader.Text(at + "/dependent", "\"E:\"")};
}

zt::world::DeviceNode ReadNode(const Reader& reader, const std::string& at) {
    zt::world::DeviceNode node{reader.Text(at + "/id", "\"USB\\\\VID_0403&PID_6001\\\\A50285BI\""),
                             reader.Has(at + "/parent") ? reader.Text(at + "/parent", "\"USB\\\\ROOT_HUB30\\\\...\"") : u"",
                             {},
                             {}};
    for (const NamedNodeText& text : kNodeTexts) {
        const std::string member = at + "/" + text.name;
        if (reader.Has(member)) node.SetText(text.property, reader.Text(member, "\"...\""));
    }
    const Json& paths = reader.Array(at + "/location_paths", false);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        node.locationPaths.push_back(reader.Text(Item(at + "/location_paths", i), "\"PCIROOT(0)#PCI(1400)#USBROOT(0)\""));
    }
    return node;
}

template <typename Element, typename ReadOne>
std::vector<Element> ReadList(const Reader& reader, const std::string& at, ReadOne readOne) {
    std::vector<Element> items;
    const Json& list = reader.Array(at, false);
    for (std::size_t i = 0; i < list.size(); ++i) items.push_back(readOne(reader, Item(at, i)));
    return items;
}

// The repository a recording builds, held as it goes so that every instance, link and
// departure is checked at its own line.
class Checker {
public:
    explicit Checker(const Reader& reader) : reader_(reader) {}

    void Arrive(const std::string& at, const zt::world::RecordedArrivals& arrivals) {
        for (std::size_t i = 0; i < arrivals.instances.size(); ++i) {
            const auto& instance = arrivals.instances[i];
            Check(Item(at + "/instances", i), "an instance whose key no present one has",
                  [&] { cim_.Add(instance.className, instance.values, instance.written); });
        }
        for (std::size_t i = 0; i < arrivals.links.size(); ++i) {
            const auto& link = arrivals.links[i];
            Check(Item(at + "/associations", i), "\"antecedent\" and \"dependent\": keys of present instances",
                  [&] { cim_.Associate(link.association, link.antecedentKey, link.dependentKey); });
        }
        for (std::size_t i = 0; i < arrivals.nodes.size(); ++i) {
            Check(Item(at + "/device_tree", i), "a node whose ID no present one has, below a present parent",
                  [&] { tree_.Add(arrivals.nodes[i]); });
        }
    }

    void Depart(const std::string& at, const zt::world::RecordedDepartures& departures) {
        for (std::size_t i = 0; i < departures.instances.size(); ++i) {
            const auto& instance = departures.instances[i];
            if (!cim_.Remove(instance.className, instance.key)) {
                reader_.Fail(Item(at + "/instances", i) + "/key", "the key of a present instance");
            }
        }
        for (std::size_t i = 0; i < departures.nodes.size(); ++i) {
            if (!tree_.Remove(departures.nodes[i])) reader_.Fail(Item(at + "/device_tree", i), "the ID of a present node");
        }
    }

private:
    template <typename Change>
    void Check(const std::string& at, const std::string& expected, Change change) {
        try {
            change();
        } catch (const std::invalid_argument& e) {
            reader_.Fail(at, expected + " (" + e.what() + ")");
        }
    }

    const Reader& reader_;
    zt::world::CimRepository cim_;
    zt::world::DeviceNodes tree_;
};

zt::world::RecordedArrivals ReadArrivals(const Reader& reader, const std::string& at) {
    return {ReadList<zt::world::RecordedRegistryValue>(reader, at + "/serial_ports", ReadRegistryValue),
            ReadList<zt::world::RecordedInstance>(reader, at + "/instances", ReadInstance),
            ReadList<zt::world::RecordedLink>(reader, at + "/associations", ReadLink),
            ReadList<zt::world::DeviceNode>(reader, at + "/device_tree", ReadNode)};
}

zt::world::RecordedDepartures ReadDepartures(const Reader& reader, const std::string& at) {
    return {ReadList<String>(reader, at + "/serial_ports",
                             [](const Reader& r, const std::string& item) { return r.Text(item, "\"\\\\Device\\\\VCP0\""); }),
            ReadList<zt::world::RecordedInstanceKey>(reader, at + "/instances", [](const Reader& r, const std::string& item) {
                return zt::world::RecordedInstanceKey{InstanceClass(r, item + "/class").name, r.Text(item + "/key", "\"E:\"")};
            }),
            ReadList<String>(reader, at + "/device_tree",
                             [](const Reader& r, const std::string& item) { return r.Text(item, "\"USB\\\\...\""); })};
}

std::uint32_t ReadEvent(const Reader& reader, const std::string& at) {
    if (reader.Has(at) && reader.At(at).is_string()) {
        const std::string name = reader.At(at).get<std::string>();
        for (const NamedEvent& event : kNamedEvents) {
            if (name == event.name) return event.code;
        }
    }
    if (reader.Has(at) && reader.At(at).is_number_unsigned() && reader.At(at).get<std::uint64_t>() <= 0xFFFF) {
        return reader.At(at).get<std::uint32_t>();
    }
    reader.Fail(at, "\"event\": arrival, query_remove, query_remove_failed, remove_pending, remove_complete "
                    "or a number");
}

// "{a5dcbf10-6530-11d2-901f-00c04fb951ed}"
zt::win32::GUID ReadGuid(const Reader& reader, const std::string& at) {
    const std::string text = zt::host::ToUtf8(reader.Text(at, "\"{a5dcbf10-6530-11d2-901f-00c04fb951ed}\""));
    constexpr std::size_t kDashes[] = {9, 14, 19, 24};
    std::vector<int> digits;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        if (std::find(std::begin(kDashes), std::end(kDashes), i) != std::end(kDashes) && text[i] == '-') continue;
        digits.push_back(HexDigit(text[i]));
    }
    const bool valid = text.size() == 38 && text.front() == '{' && text.back() == '}' &&
                       std::none_of(digits.begin(), digits.end(), [](int d) { return d < 0; }) && digits.size() == 32;
    if (!valid) reader.Fail(at, "\"class_guid\": a GUID such as \"{a5dcbf10-6530-11d2-901f-00c04fb951ed}\"");
    const auto value = [&](std::size_t from, std::size_t count) {
        std::uint64_t v = 0;
        for (std::size_t i = from; i < from + count; ++i) v = v * 16 + static_cast<std::uint64_t>(digits[i]);
        return v;
    };
    zt::win32::GUID guid{};
    guid.Data1 = static_cast<std::uint32_t>(value(0, 8));
    guid.Data2 = static_cast<std::uint16_t>(value(8, 4));
    guid.Data3 = static_cast<std::uint16_t>(value(12, 4));
    for (std::size_t i = 0; i < 8; ++i) guid.Data4[i] = static_cast<std::uint8_t>(value(16 + 2 * i, 2));
    return guid;
}

zt::world::Record ReadRecord(const Reader& reader, const std::string& at) {
    if (reader.Has(at + "/port")) return zt::world::PortRecord(reader.Text(at + "/port", "\"COM5\""));
    if (reader.Has(at + "/volume")) {
        const std::uint64_t mask = reader.Number(at + "/volume");
        if (mask == 0 || mask >= (1u << 26)) reader.Fail(at + "/volume", "\"volume\": a unit mask, one bit per letter A to Z");
        return zt::world::VolumeRecord(static_cast<std::uint32_t>(mask));
    }
    if (reader.Has(at + "/device_interface")) {
        return zt::world::DeviceInterfaceRecord(reader.Text(at + "/device_interface", "\"\\\\\\\\?\\\\USB#...\""),
                                              ReadGuid(reader, at + "/class_guid"));
    }
    reader.Fail(at, "\"record\": {\"port\": name}, {\"volume\": unit mask} or "
                    "{\"device_interface\": name, \"class_guid\": GUID}");
}

zt::world::RecordedBroadcast ReadBroadcast(const Reader& reader, const std::string& at) {
    const std::uint64_t afterMs = reader.Has(at + "/after_ms") ? reader.Number(at + "/after_ms") : 0;
    if (afterMs > 60000) reader.Fail(at + "/after_ms", "\"after_ms\": at most 60000");
    return {static_cast<std::uint32_t>(afterMs), ReadEvent(reader, at + "/event"), ReadRecord(reader, at + "/record"),
            ReadArrivals(reader, at + "/came"), ReadDepartures(reader, at + "/went")};
}

}  // namespace

String ObjectTextValue(const Json& value) {
    if (!value.is_array()) return ScalarText(value);
    String text = u"{";
    for (std::size_t i = 0; i < value.size(); ++i) text += (i == 0 ? u"" : u", ") + ScalarText(value[i]);
    return text + u"}";
}

zt::world::RecordedWorld ReadRecording(const Reader& reader) {
    if (reader.Has("/machine")) reader.Text("/machine", "\"DESKTOP-7Q2M4KD\"");  // the machine's name, for people
    Checker checker(reader);
    zt::world::RecordedWorld world{ReadArrivals(reader, ""), {}};
    checker.Arrive("", world.present);
    const Json& broadcasts = reader.Array("/broadcasts", false);
    for (std::size_t i = 0; i < broadcasts.size(); ++i) {
        const std::string at = Item("/broadcasts", i);
        world.broadcasts.push_back(ReadBroadcast(reader, at));
        checker.Depart(at + "/went", world.broadcasts.back().went);
        checker.Arrive(at + "/came", world.broadcasts.back().came);
    }
    return world;
}

}  // namespace zt::testkit
