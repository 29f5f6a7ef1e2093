// Without Windows there is no system's device tree: this machine's devices stand for it where
// the package reads them (udev); otherwise it holds nothing until a world or a host installs
// one.
#include "ztusb/win32/default_world_emu.h"
#include "ztusb/win32/device_tree.h"

namespace zt::win32 {
namespace {

class EmptyTree final : public DeviceTree {
public:
    std::vector<std::u16string> DeviceIds(std::u16string_view) const override { return {}; }
    std::optional<DevNode> Locate(std::u16string_view) const override { return std::nullopt; }
    std::optional<DevNode> Parent(DevNode) const override { return std::nullopt; }
    std::optional<DevNode> Child(DevNode) const override { return std::nullopt; }
    std::optional<DevNode> Sibling(DevNode) const override { return std::nullopt; }
    std::u16string Id(DevNode) const override { return {}; }
    std::optional<std::u16string> Text(DevNode, DevNodeText) const override { return std::nullopt; }
    std::vector<std::u16string> LocationPaths(DevNode) const override { return {}; }
    std::optional<VolumeFacts> Volume(std::u16string_view) const override { return std::nullopt; }
};

// The default world's tree, asked again at each call: it comes and goes with its thread.
class DefaultWorldsTree final : public DeviceTree {
public:
    std::vector<std::u16string> DeviceIds(std::u16string_view e) const override { return Tree()->DeviceIds(e); }
    std::optional<DevNode> Locate(std::u16string_view id) const override { return Tree()->Locate(id); }
    std::optional<DevNode> Parent(DevNode n) const override { return Tree()->Parent(n); }
    std::optional<DevNode> Child(DevNode n) const override { return Tree()->Child(n); }
    std::optional<DevNode> Sibling(DevNode n) const override { return Tree()->Sibling(n); }
    std::u16string Id(DevNode n) const override { return Tree()->Id(n); }
    std::optional<std::u16string> Text(DevNode n, DevNodeText p) const override { return Tree()->Text(n, p); }
    std::vector<std::u16string> LocationPaths(DevNode n) const override { return Tree()->LocationPaths(n); }
    std::optional<VolumeFacts> Volume(std::u16string_view root) const override { return Tree()->Volume(root); }

private:
    static std::shared_ptr<const DeviceTree> Tree() {
        static const auto empty = std::make_shared<const EmptyTree>();
        auto* world = emulated::TheDefaultWorld();
        return world != nullptr ? world->Tree() : empty;
    }
};

}  // namespace

std::shared_ptr<const DeviceTree> SystemDeviceTree() {
    static const auto tree = std::make_shared<const DefaultWorldsTree>();
    return tree;
}

}  // namespace zt::win32
