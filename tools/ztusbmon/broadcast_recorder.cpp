#include "tools/ztusbmon/broadcast_recorder.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "tools/ztusbmon/recorder.h"
#include "ztusb/testkit/recording.h"
#include "ztusb/win32/broadcast_decoder.h"
#include "ztusb/win32/windows_names.h"

namespace ztusbmon {
namespace {

namespace win32 = zt::win32;
using zt::testkit::kNamedEvents;
using zt::testkit::NamedEvent;

// Posted to itself on the first broadcast of a turn: a broadcast is sent, and makes the loop
// return nothing (a removal is followed by no posted message that would).
constexpr zt::win32::UINT kCollect = WM_APP + 1;

// No record the system sends comes near this; a larger size is not believed.
constexpr std::uint32_t kLongestRecord = 8192;
constexpr std::int64_t kLongestPauseMs = 60000;  // as a world file allows

std::string GuidText(const win32::GUID& guid) {
    char text[39];
    const auto u = [](auto part) { return static_cast<unsigned>(part); };
    std::snprintf(text, sizeof text, "{%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}", u(guid.Data1), u(guid.Data2),
                  u(guid.Data3), u(guid.Data4[0]), u(guid.Data4[1]), u(guid.Data4[2]), u(guid.Data4[3]),
                  u(guid.Data4[4]), u(guid.Data4[5]), u(guid.Data4[6]), u(guid.Data4[7]));
    return text;
}

// The record's fields as a recording writes them; null for a kind a replay cannot send.
Json RecordFields(win32::LPARAM address) {
    const win32::DecodedRecord record = win32::DecodeRecordAt(address);
    if (record.size > kLongestRecord) return nullptr;
    switch (record.kind) {
        case win32::DecodedRecord::Kind::Port:
            return {{"port", zt::host::ToUtf8(record.name)}};
        case win32::DecodedRecord::Kind::Volume:
            if (!record.complete) return nullptr;
            return {{"volume", record.unitMask}};
        case win32::DecodedRecord::Kind::DeviceInterface:
            if (!record.complete) return nullptr;
            return {{"device_interface", zt::host::ToUtf8(record.name)}, {"class_guid", GuidText(*record.interfaceClass)}};
        default:
            return nullptr;
    }
}

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

std::string InstanceKey(const Json& instance) {
    return instance.value("class", "") + "." + instance["properties"].value("DeviceID", "");
}

// The members of a list by a key, for comparing two recordings.
template <typename Key>
std::map<std::string, Json> ByKey(const Json& recording, const char* list, Key key) {
    std::map<std::string, Json> items;
    for (const Json& item : recording.value(list, Json::array())) items.emplace(key(item), item);
    return items;
}

// Device nodes that went or changed go, with what hangs below them; what is still there of
// that comes again with the nodes that are new or changed, parents first.
void NodeChanges(const Json& before, const Json& after, Json& came, Json& went) {
    const auto id = [](const Json& node) { return Upper(node.value("id", "")); };
    const auto oldNodes = ByKey(before, "device_tree", id);
    const auto newNodes = ByKey(after, "device_tree", id);
    std::set<std::string> gone;
    came["device_tree"] = Json::array();
    went["device_tree"] = Json::array();
    for (const Json& node : before.value("device_tree", Json::array())) {
        const auto now = newNodes.find(id(node));
        const bool parentGone = gone.count(Upper(node.value("parent", ""))) != 0;
        if (!parentGone && now != newNodes.end() && now->second == node) continue;
        gone.insert(id(node));
        if (!parentGone) went["device_tree"].push_back(node["id"]);
    }
    for (const Json& node : after.value("device_tree", Json::array())) {
        if (!oldNodes.count(id(node)) || gone.count(id(node)) != 0) came["device_tree"].push_back(node);
    }
}

}  // namespace

Json Changes(const Json& before, const Json& after) {
    Json came = {{"serial_ports", Json::array()}, {"instances", Json::array()}, {"associations", Json::array()}};
    Json went = {{"serial_ports", Json::array()}, {"instances", Json::array()}};
    const auto portName = [](const Json& value) { return value.value("name", ""); };
    const auto linkKey = [](const Json& link) { return link.dump(); };
    const auto oldPorts = ByKey(before, "serial_ports", portName);
    const auto newPorts = ByKey(after, "serial_ports", portName);
    for (const auto& [name, value] : oldPorts) {
        const auto now = newPorts.find(name);
        if (now == newPorts.end() || now->second != value) went["serial_ports"].push_back(name);
    }
    for (const auto& [name, value] : newPorts) {
        const auto then = oldPorts.find(name);
        if (then == oldPorts.end() || then->second != value) came["serial_ports"].push_back(value);
    }
    const auto oldInstances = ByKey(before, "instances", InstanceKey);
    const auto newInstances = ByKey(after, "instances", InstanceKey);
    std::vector<std::string> gone;
    for (const auto& [key, instance] : oldInstances) {
        const auto now = newInstances.find(key);
        if (now != newInstances.end() && now->second == instance) continue;
        gone.push_back(key);
        went["instances"].push_back({{"class", instance["class"]}, {"key", instance["properties"]["DeviceID"]}});
    }
    for (const Json& instance : after.value("instances", Json::array())) {
        const auto then = oldInstances.find(InstanceKey(instance));
        if (then == oldInstances.end() || then->second != instance) came["instances"].push_back(instance);
    }
    // A link is new when it was not there, or when an end of it went and came back.
    const auto oldLinks = ByKey(before, "associations", linkKey);
    const auto isKeyOf = [](const std::string& instanceKey, const std::string& key) {
        return instanceKey.size() > key.size() && instanceKey.ends_with(key) &&
               instanceKey[instanceKey.size() - key.size() - 1] == '.';
    };
    const auto touches = [&](const Json& link) {
        return std::any_of(gone.begin(), gone.end(), [&](const std::string& key) {
            return isKeyOf(key, link.value("antecedent", "")) || isKeyOf(key, link.value("dependent", ""));
        });
    };
    for (const Json& link : after.value("associations", Json::array())) {
        if (!oldLinks.count(linkKey(link)) || touches(link)) came["associations"].push_back(link);
    }
    NodeChanges(before, after, came, went);
    return {{"came", came}, {"went", went}};
}

BroadcastRecorder::BroadcastRecorder(Json snapshot) : snapshot_(std::move(snapshot)) {
    window_ = zt::host::AllocateHWnd([this](zt::host::TMessage& message) { OnMessage(message); });
    win32::DEV_BROADCAST_DEVICEINTERFACE filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = win32::GUID_DEVINTERFACE_USB_DEVICE;
    if (window_ != nullptr) {
        notification_ = win32::RegisterDeviceNotificationW(window_, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    }
}

BroadcastRecorder::~BroadcastRecorder() {
    if (notification_ != nullptr) win32::UnregisterDeviceNotification(notification_);
    if (window_ == nullptr) return;
    zt::host::FreeObjectInstance(window_);
    win32::DestroyWindow(window_);
}

void BroadcastRecorder::OnMessage(zt::host::TMessage& message) {
    if (message.Msg == kCollect) return Collect();
    if (message.Msg != WM_DEVICECHANGE || message.LParam == 0) {
        message.Result = win32::DefWindowProcW(window_, message.Msg, message.WParam, message.LParam);
        return;
    }
    const auto event = static_cast<std::uint32_t>(message.WParam);
    const auto named = std::find_if(std::begin(kNamedEvents), std::end(kNamedEvents),
                                    [&](const NamedEvent& e) { return e.code == event; });
    Json record = RecordFields(message.LParam);
    if (record.is_null()) return;
    Json broadcast = {{"event", named == std::end(kNamedEvents) ? Json(event) : Json(named->name)}, {"record", record}};
    if (received_.empty()) win32::PostMessageW(window_, kCollect, 0, 0);
    received_.push_back({std::chrono::steady_clock::now(), std::move(broadcast)});
}

void BroadcastRecorder::Collect() {
    if (received_.empty()) return;
    Json now = RecordMachine();
    Json changes = Changes(snapshot_, now);
    snapshot_ = std::move(now);
    // Those received in one turn of the message loop replay together: 0 ms after the first,
    // which comes at least 1 ms after the turn before.
    for (std::size_t i = 0; i < received_.size(); ++i) {
        const Received& received = received_[i];
        const auto gap = std::chrono::duration_cast<std::chrono::milliseconds>(received.at - last_).count();
        last_ = received.at;
        Json broadcast = {{"after_ms", i == 0 ? std::clamp<std::int64_t>(gap, 1, kLongestPauseMs) : 0}};
        broadcast.update(received.broadcast);
        broadcast.update(changes);  // with the first of them; the rest found nothing new
        changes = Json::object();
        broadcasts_.push_back(std::move(broadcast));
    }
    received_.clear();
}

}  // namespace ztusbmon
