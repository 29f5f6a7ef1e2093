// Without Windows there is no system's device tree: it holds nothing until a world or a host
// installs one.
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

}  // namespace

std::shared_ptr<const DeviceTree> SystemDeviceTree() {
    static const auto tree = std::make_shared<const EmptyTree>();
    return tree;
}

}  // namespace zt::win32
