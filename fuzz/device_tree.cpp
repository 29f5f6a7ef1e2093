// Windows' device tree as the device records read it (fuzz/tree_input.h): nodes with any IDs,
// parents, location paths and infos, port names and other texts, the volume calls' answers
// and WMI's ties of disks to letters. Every USB device node gives one record, and the same
// tree read twice gives the same records.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "fuzz/tree_input.h"
#include "ztusb/devices/devices.h"
#include "ztusb/win32/usb_identity.h"

namespace {

std::shared_ptr<zt::world::DeviceNodes> Tree(zt::fuzz::FuzzInput& input) {
    std::vector<zt::fuzz::tree_input::ReadNode> read;
    while (read.size() < zt::fuzz::tree_input::kMostNodes) {
        auto node = zt::fuzz::tree_input::Node(input, read.size());
        if (!node) break;
        read.push_back(std::move(*node));
    }
    const auto volume = zt::fuzz::tree_input::Volume(input);
    auto tree = std::make_shared<zt::world::DeviceNodes>([volume](std::u16string_view) { return volume; });
    std::vector<zt::host::String> added;  // by place read; empty for a node the tree refused
    for (auto& [parent, node] : read) {
        node.parent = parent == 0 ? zt::host::String() : added[parent - 1];
        const zt::host::String id = node.id;
        try {
            tree->Add(std::move(node));
            added.push_back(id);
        } catch (const std::invalid_argument&) {
            added.push_back(parent == 0 ? zt::host::String() : added[parent - 1]);  // an ID twice: its children go up
        }
    }
    return tree;
}

std::vector<std::string> UsbDeviceIds(const zt::world::DeviceNodes& tree) {
    std::vector<std::string> ids;
    for (const zt::host::String& id : tree.DeviceIds(u"USB")) {
        if (zt::win32::IsUsbDeviceId(id)) ids.push_back(zt::host::ToUtf8(id));
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool silenced = (zt::fuzz::SilenceDialogs(), true);
    (void)silenced;
    zt::fuzz::FuzzInput input(data, size);
    const auto tree = Tree(input);
    const auto previous = zt::win32::SetDeviceTree(tree);
    {
        const zt::fuzz::ServedAnswers answers(zt::fuzz::AsText(input.Rest()));
        const std::vector<zt::devices::UsbDevice> records = zt::devices::DeviceTreeSource()->Attached();
        std::vector<std::string> recorded;
        for (const auto& record : records) recorded.push_back(record.windows.instanceId);
        std::sort(recorded.begin(), recorded.end());
        zt::fuzz::Require(recorded == UsbDeviceIds(*tree), "one record for each USB device node");
    }
    zt::win32::SetDeviceTree(previous);
    return 0;
}
