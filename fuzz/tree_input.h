#pragma once
// A device tree as a fuzz input holds it, read and written alike (the seeds write the trees of
// the simulated worlds): per node a parent byte (0 for the tree's root, n for the n-th node
// read; taken modulo the nodes read so far plus one), the ID text (up to a 0x1F byte), a byte
// whose bits 0 to 6 tell which of the node texts follow (win32::DevNodeText in order) and
// whose bit 7 tells that location paths follow, the texts, then a count byte (up to 3) and
// the paths. A 0x1E byte ends the nodes; then what the volume calls answer (a flags byte, the
// texts file system and label, the serial number, size and free space), then the answers of
// the two WMI queries that tie disks to letters (fuzz_input.h).

#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "ztusb/world/device_tree.h"

namespace zt::fuzz::tree_input {

constexpr std::uint8_t kTextEnd = 0x1F;
constexpr std::uint8_t kNodesEnd = 0x1E;
constexpr unsigned kNodeTexts = 7;
constexpr std::uint8_t kHasPaths = 0x80;
constexpr unsigned kMostPaths = 3;
constexpr std::size_t kMostNodes = 64;

struct ReadNode {
    std::size_t parent;  // 0: the root; n: the n-th node read
    world::DeviceNode node;
};

inline std::optional<ReadNode> Node(FuzzInput& input, std::size_t read) {
    const auto parent = input.Take<std::uint8_t>();
    if (parent == kNodesEnd || input.Empty()) return std::nullopt;
    ReadNode node{parent % (read + 1), {}};
    node.node.id = WideText(input.TakeUntil(kTextEnd));
    const auto present = input.Take<std::uint8_t>();
    for (unsigned text = 0; text < kNodeTexts; ++text) {
        if ((present & (1u << text)) != 0) {
            node.node.SetText(static_cast<win32::DevNodeText>(text), WideText(input.TakeUntil(kTextEnd)));
        }
    }
    if ((present & kHasPaths) != 0) {
        for (unsigned path = input.Take<std::uint8_t>() % (kMostPaths + 1); path > 0; --path) {
            node.node.locationPaths.push_back(WideText(input.TakeUntil(kTextEnd)));
        }
    }
    return node;
}

inline std::optional<win32::VolumeFacts> Volume(FuzzInput& input) {
    const bool mounted = (input.Take<std::uint8_t>() & 1) != 0;
    win32::VolumeFacts facts;
    facts.fileSystem = WideText(input.TakeUntil(kTextEnd));
    facts.label = WideText(input.TakeUntil(kTextEnd));
    facts.serialNumber = input.Take<std::uint32_t>();
    facts.size = input.Take<std::uint64_t>();
    facts.freeSpace = input.Take<std::uint64_t>();
    if (!mounted) return std::nullopt;
    return facts;
}

// The nodes in the input's form, parents before their children as the tree lists them.
inline std::string Written(const std::vector<const world::DeviceNode*>& nodes) {
    std::string bytes;
    std::vector<host::String> ids;
    for (const world::DeviceNode* node : nodes) {
        std::size_t parent = 0;
        for (std::size_t i = 0; i < ids.size(); ++i) {
            if (ids[i] == node->parent) parent = i + 1;
        }
        bytes += static_cast<char>(parent);
        bytes += host::ToUtf8(node->id) + static_cast<char>(kTextEnd);
        std::uint8_t present = node->locationPaths.empty() ? 0 : kHasPaths;
        std::string texts;
        for (unsigned text = 0; text < kNodeTexts; ++text) {
            if (const host::String* value = node->Text(static_cast<win32::DevNodeText>(text))) {
                present |= static_cast<std::uint8_t>(1u << text);
                texts += host::ToUtf8(*value) + static_cast<char>(kTextEnd);
            }
        }
        bytes += static_cast<char>(present) + texts;
        if (!node->locationPaths.empty()) {
            bytes += static_cast<char>(node->locationPaths.size());
            for (const host::String& path : node->locationPaths) bytes += host::ToUtf8(path) + static_cast<char>(kTextEnd);
        }
        ids.push_back(node->id);
    }
    return bytes + static_cast<char>(kNodesEnd);
}

inline std::string Written(const win32::VolumeFacts& facts) {
    std::string bytes(1, '\1');
    bytes += host::ToUtf8(facts.fileSystem) + static_cast<char>(kTextEnd);
    bytes += host::ToUtf8(facts.label) + static_cast<char>(kTextEnd);
    for (const auto& [value, length] : {std::pair<std::uint64_t, std::size_t>{facts.serialNumber, 4},
                                        {facts.size, 8}, {facts.freeSpace, 8}}) {
        for (std::size_t i = 0; i < length; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return bytes;
}

}  // namespace zt::fuzz::tree_input
