// The system's device tree through the configuration manager (Wine's own under Wine): the
// calls the device view makes answer as Windows documents them.
#include <gtest/gtest.h>

#include "ztusb/devices/devices.h"
#include "ztusb/win32/device_tree.h"

namespace {

// Wine 8 lists no device nodes at all; Windows lists its USB devices and their disks.
TEST(SystemDeviceTree, EveryListedNodeIsFoundByItsIdAndIsAChildOfItsParent) {
    const auto tree = zt::win32::SystemDeviceTree();
    for (const char16_t* enumerator : {u"USB", u"USBSTOR", u"ROOT"}) {
        for (const std::u16string& id : tree->DeviceIds(enumerator)) {
            const auto node = tree->Locate(id);
            ASSERT_TRUE(node.has_value()) << std::string(id.begin(), id.end());
            EXPECT_EQ(tree->Id(*node).size(), id.size());
            const auto parent = tree->Parent(*node);
            ASSERT_TRUE(parent.has_value());
            bool listed = false;
            for (auto child = tree->Child(*parent); child && !listed; child = tree->Sibling(*child)) listed = *child == *node;
            EXPECT_TRUE(listed) << std::string(id.begin(), id.end());
        }
    }
    EXPECT_FALSE(tree->Locate(u"USB\\VID_FFFF&PID_FFFF\\NO-SUCH-DEVICE").has_value());
}

TEST(SystemDeviceTree, TheSystemVolumeHasAFileSystemAndASize) {
    const auto facts = zt::win32::SystemDeviceTree()->Volume(u"C:\\");
    ASSERT_TRUE(facts.has_value());
    EXPECT_FALSE(facts->fileSystem.empty());
    EXPECT_GT(facts->size, 0u);
    EXPECT_LE(facts->freeSpace, facts->size);
    EXPECT_FALSE(zt::win32::SystemDeviceTree()->Volume(u"B:\\").has_value()) << "no drive B:";
}

// Whatever USB devices the machine has, each record has a place and its faces are its own.
TEST(SystemDeviceTree, TheSystemsUsbDevicesAreRecordsWithAPlace) {
    for (const auto& device : zt::devices::UsbDevices()) {
        EXPECT_FALSE(device.windows.instanceId.empty());
        EXPECT_FALSE(device.name.empty());
        for (const auto& port : device.ports) EXPECT_TRUE(port.name.starts_with("COM")) << port.name;
    }
}

}  // namespace
