#pragma once
// The world's device tree: one node per device, as Windows' configuration manager keeps
// them, answering the package's tree calls once installed with win32::SetDeviceTree.

#include <functional>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ztusb/export.h"
#include "ztusb/world/former_namespace.h"
#include "ztusb/host/text.h"
#include "ztusb/win32/device_tree.h"

namespace zt::world {

using host::String;

struct ZT_SIM_API DeviceNode {
    String id;      // the instance ID, in capitals as the tree writes it
    String parent;  // its parent's ID
    std::vector<std::pair<win32::DevNodeText, String>> texts;
    std::vector<String> locationPaths;

    const String* Text(win32::DevNodeText property) const;
    void SetText(win32::DevNodeText property, String value);
};

// The tree's root, above every device.
inline constexpr char16_t kRootNodeId[] = u"HTREE\\ROOT\\0";

class ZT_SIM_API DeviceNodes final : public win32::DeviceTree {
public:
    // What the volume calls answer, which the tree itself does not hold.
    using VolumeLookup = std::function<std::optional<win32::VolumeFacts>(std::u16string_view root)>;
    explicit DeviceNodes(VolumeLookup volumes = {});

    // Throws std::invalid_argument for an ID already present or a parent that is not.
    void Add(DeviceNode node);
    // The node and everything below it; false when there is none.
    bool Remove(std::u16string_view id);
    const DeviceNode* Find(std::u16string_view id) const;
    // Every node but the root, parents before their children.
    std::vector<const DeviceNode*> Nodes() const;

    std::vector<String> DeviceIds(std::u16string_view enumerator) const override;
    std::optional<win32::DevNode> Locate(std::u16string_view instanceId) const override;
    std::optional<win32::DevNode> Parent(win32::DevNode node) const override;
    std::optional<win32::DevNode> Child(win32::DevNode node) const override;
    std::optional<win32::DevNode> Sibling(win32::DevNode node) const override;
    String Id(win32::DevNode node) const override;
    std::optional<String> Text(win32::DevNode node, win32::DevNodeText property) const override;
    std::vector<String> LocationPaths(win32::DevNode node) const override;
    std::optional<win32::VolumeFacts> Volume(std::u16string_view root) const override;

private:
    struct Slot {
        DeviceNode node;
        win32::DevNode parent = 0;
        std::vector<win32::DevNode> children;  // in the order they were added
    };
    const Slot* At(win32::DevNode node) const;
    template <typename Visit>
    void Walk(win32::DevNode from, Visit visit) const;

    // A node's handle is its slot's place; a removed node's slot is taken by a later one.
    std::vector<std::optional<Slot>> slots_;
    std::vector<win32::DevNode> free_;
    std::unordered_map<String, win32::DevNode> byId_;  // IDs in capitals
    VolumeLookup volumes_;
};

}  // namespace zt::world
