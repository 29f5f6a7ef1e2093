#include "ztusb/world/device_tree.h"

#include <algorithm>
#include <stdexcept>

namespace zt::world {
namespace {

constexpr win32::DevNode kRoot = 0;

}  // namespace

const String* DeviceNode::Text(win32::DevNodeText property) const {
    for (const auto& [name, value] : texts) {
        if (name == property) return &value;
    }
    return nullptr;
}

void DeviceNode::SetText(win32::DevNodeText property, String value) {
    for (auto& [name, held] : texts) {
        if (name == property) {
            held = std::move(value);
            return;
        }
    }
    texts.emplace_back(property, std::move(value));
}

DeviceNodes::DeviceNodes(VolumeLookup volumes) : volumes_(std::move(volumes)) {
    slots_.emplace_back(Slot{DeviceNode{kRootNodeId, {}, {}, {}}, kRoot, {}});
    byId_.emplace(kRootNodeId, kRoot);
}

void DeviceNodes::Add(DeviceNode node) {
    const String key = host::UpperCase(node.id);
    if (byId_.count(key) != 0) {
        throw std::invalid_argument("device node " + host::ToUtf8(node.id) + " is already in the tree");
    }
    const auto parent = Locate(node.parent.empty() ? String(kRootNodeId) : node.parent);
    if (!parent) {
        throw std::invalid_argument("device node " + host::ToUtf8(node.id) + " hangs from " +
                                    host::ToUtf8(node.parent) + ", which is not in the tree");
    }
    win32::DevNode handle = 0;
    if (free_.empty()) {
        handle = static_cast<win32::DevNode>(slots_.size());
        slots_.emplace_back();
    } else {
        handle = free_.back();
        free_.pop_back();
    }
    node.id = key;
    node.parent = slots_[*parent]->node.id;
    slots_[handle] = Slot{std::move(node), *parent, {}};
    slots_[*parent]->children.push_back(handle);
    byId_.emplace(key, handle);
}

bool DeviceNodes::Remove(std::u16string_view id) {
    const auto found = Locate(id);
    if (!found || *found == kRoot) return false;
    std::vector<win32::DevNode> gone;
    Walk(*found, [&](win32::DevNode node) { gone.push_back(node); });
    auto& siblings = slots_[slots_[*found]->parent]->children;
    siblings.erase(std::find(siblings.begin(), siblings.end(), *found));
    for (const win32::DevNode node : gone) {
        byId_.erase(slots_[node]->node.id);
        slots_[node].reset();
        free_.push_back(node);
    }
    return true;
}

const DeviceNode* DeviceNodes::Find(std::u16string_view id) const {
    const auto found = Locate(id);
    return found ? &slots_[*found]->node : nullptr;
}

std::vector<const DeviceNode*> DeviceNodes::Nodes() const {
    std::vector<const DeviceNode*> nodes;
    Walk(kRoot, [&](win32::DevNode node) {
        if (node != kRoot) nodes.push_back(&slots_[node]->node);
    });
    return nodes;
}

// Depth first, a node before what hangs below it.
template <typename Visit>
void DeviceNodes::Walk(win32::DevNode from, Visit visit) const {
    std::vector<win32::DevNode> pending = {from};
    while (!pending.empty()) {
        const win32::DevNode node = pending.back();
        pending.pop_back();
        visit(node);
        const auto& children = slots_[node]->children;
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
}

const DeviceNodes::Slot* DeviceNodes::At(win32::DevNode node) const {
    return node < slots_.size() && slots_[node] ? &*slots_[node] : nullptr;
}

std::vector<String> DeviceNodes::DeviceIds(std::u16string_view enumerator) const {
    const String prefix = host::UpperCase(String(enumerator)) + u"\\";
    std::vector<String> ids;
    Walk(kRoot, [&](win32::DevNode node) {
        const String& id = slots_[node]->node.id;
        if (id.starts_with(prefix)) ids.push_back(id);
    });
    return ids;
}

std::optional<win32::DevNode> DeviceNodes::Locate(std::u16string_view instanceId) const {
    const auto found = byId_.find(host::UpperCase(String(instanceId)));
    if (found == byId_.end()) return std::nullopt;
    return found->second;
}

std::optional<win32::DevNode> DeviceNodes::Parent(win32::DevNode node) const {
    const Slot* slot = At(node);
    if (slot == nullptr || node == kRoot) return std::nullopt;
    return slot->parent;
}

std::optional<win32::DevNode> DeviceNodes::Child(win32::DevNode node) const {
    const Slot* slot = At(node);
    if (slot == nullptr || slot->children.empty()) return std::nullopt;
    return slot->children.front();
}

std::optional<win32::DevNode> DeviceNodes::Sibling(win32::DevNode node) const {
    const Slot* slot = At(node);
    if (slot == nullptr || node == kRoot) return std::nullopt;
    const auto& siblings = slots_[slot->parent]->children;
    const auto next = std::find(siblings.begin(), siblings.end(), node) + 1;
    if (next >= siblings.end()) return std::nullopt;
    return *next;
}

String DeviceNodes::Id(win32::DevNode node) const {
    const Slot* slot = At(node);
    return slot == nullptr ? String() : slot->node.id;
}

std::optional<String> DeviceNodes::Text(win32::DevNode node, win32::DevNodeText property) const {
    const Slot* slot = At(node);
    const String* text = slot == nullptr ? nullptr : slot->node.Text(property);
    if (text == nullptr) return std::nullopt;
    return *text;
}

std::vector<String> DeviceNodes::LocationPaths(win32::DevNode node) const {
    const Slot* slot = At(node);
    return slot == nullptr ? std::vector<String>() : slot->node.locationPaths;
}

std::optional<win32::VolumeFacts> DeviceNodes::Volume(std::u16string_view root) const {
    return volumes_ ? volumes_(root) : std::nullopt;
}

}  // namespace zt::world
