#include "ztusb/win32/device_tree.h"

namespace zt::win32 {
namespace {

std::shared_ptr<const DeviceTree>& InstalledTree() {
    static std::shared_ptr<const DeviceTree> tree;
    return tree;
}

}  // namespace

std::shared_ptr<const DeviceTree> SetDeviceTree(std::shared_ptr<const DeviceTree> tree) {
    std::shared_ptr<const DeviceTree> previous = std::move(InstalledTree());
    InstalledTree() = std::move(tree);
    return previous;
}

std::shared_ptr<const DeviceTree> CurrentDeviceTree() {
    const std::shared_ptr<const DeviceTree>& installed = InstalledTree();
    return installed ? installed : SystemDeviceTree();
}

}  // namespace zt::win32
