// The system's device tree through the configuration manager (cfgmgr32), and its volumes
// through the volume calls.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <initguid.h>  // before devpkey.h: the property keys are defined here
#include <cfgmgr32.h>
#include <devpkey.h>

#include <cstdio>
#include <cstring>

#include "ztusb/win32/device_tree.h"

namespace zt::win32 {
namespace {

std::u16string FromWide(const wchar_t* text, std::size_t length) {
    return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

std::wstring ToWide(std::u16string_view text) {
    return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

const DEVPROPKEY* KeyOf(DevNodeText property) {
    switch (property) {
        case DevNodeText::LocationInfo: return &DEVPKEY_Device_LocationInfo;
        case DevNodeText::ContainerId: return &DEVPKEY_Device_ContainerId;
        case DevNodeText::BusReportedDesc: return &DEVPKEY_Device_BusReportedDeviceDesc;
        case DevNodeText::FriendlyName: return &DEVPKEY_Device_FriendlyName;
        case DevNodeText::Manufacturer: return &DEVPKEY_Device_Manufacturer;
        case DevNodeText::Service: return &DEVPKEY_Device_Service;
        case DevNodeText::PortName: return nullptr;
    }
    return nullptr;
}

// A property's bytes and type; nothing when the node does not have it.
std::optional<std::vector<BYTE>> PropertyBytes(DevNode node, const DEVPROPKEY& key, DEVPROPTYPE& type) {
    ULONG size = 0;
    CONFIGRET result = CM_Get_DevNode_PropertyW(node, &key, &type, nullptr, &size, 0);
    if (result != CR_BUFFER_SMALL || size == 0) return std::nullopt;
    std::vector<BYTE> bytes(size);
    result = CM_Get_DevNode_PropertyW(node, &key, &type, bytes.data(), &size, 0);
    if (result != CR_SUCCESS) return std::nullopt;
    bytes.resize(size);
    return bytes;
}

// The strings of a string or a string list, each up to its NUL.
std::vector<std::u16string> Strings(const std::vector<BYTE>& bytes) {
    std::vector<std::u16string> strings;
    const auto* text = reinterpret_cast<const wchar_t*>(bytes.data());
    const std::size_t units = bytes.size() / sizeof(wchar_t);
    for (std::size_t start = 0; start < units;) {
        std::size_t end = start;
        while (end < units && text[end] != L'\0') ++end;
        if (end == start) break;
        strings.push_back(FromWide(text + start, end - start));
        start = end + 1;
    }
    return strings;
}

std::u16string GuidText(const GUID& guid) {
    wchar_t text[40];
    std::swprintf(text, std::size(text), L"{%08lx-%04hx-%04hx-%02hhx%02hhx-%02hhx%02hhx%02hhx%02hhx%02hhx%02hhx}",
                  guid.Data1, guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2],
                  guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return FromWide(text, wcslen(text));
}

// The PortName value of the device's hardware key, where a port's driver writes it.
std::optional<std::u16string> PortName(DevNode node) {
    HKEY key = nullptr;
    if (CM_Open_DevNode_Key(node, KEY_READ, 0, RegDisposition_OpenExisting, &key, CM_REGISTRY_HARDWARE) !=
        CR_SUCCESS) {
        return std::nullopt;
    }
    wchar_t name[64] = {};
    DWORD type = 0;
    DWORD size = sizeof name - sizeof(wchar_t);
    const LSTATUS status = RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(name), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
    return FromWide(name, wcsnlen(name, size / sizeof(wchar_t)));
}

std::optional<DevNode> Related(CONFIGRET (*step)(PDEVINST, DEVINST, ULONG), DevNode node) {
    DEVINST related = 0;
    if (step(&related, node, 0) != CR_SUCCESS) return std::nullopt;
    return related;
}

class SystemTree final : public DeviceTree {
public:
    std::vector<std::u16string> DeviceIds(std::u16string_view enumerator) const override {
        const std::wstring filter = ToWide(enumerator);
        const ULONG flags = CM_GETIDLIST_FILTER_ENUMERATOR | CM_GETIDLIST_FILTER_PRESENT;
        // The list may grow between the two calls: ask again while it does.
        for (int attempt = 0; attempt < 4; ++attempt) {
            ULONG length = 0;
            if (CM_Get_Device_ID_List_SizeW(&length, filter.c_str(), flags) != CR_SUCCESS || length == 0) return {};
            std::vector<wchar_t> list(length);
            const CONFIGRET result = CM_Get_Device_ID_ListW(filter.c_str(), list.data(), length, flags);
            if (result == CR_BUFFER_SMALL) continue;
            if (result != CR_SUCCESS) return {};
            std::vector<BYTE> bytes(reinterpret_cast<const BYTE*>(list.data()),
                                    reinterpret_cast<const BYTE*>(list.data() + list.size()));
            return Strings(bytes);
        }
        return {};
    }

    std::optional<DevNode> Locate(std::u16string_view instanceId) const override {
        std::wstring id = ToWide(instanceId);
        DEVINST node = 0;
        if (CM_Locate_DevNodeW(&node, id.data(), CM_LOCATE_DEVNODE_NORMAL) != CR_SUCCESS) return std::nullopt;
        return node;
    }

    std::optional<DevNode> Parent(DevNode node) const override { return Related(CM_Get_Parent, node); }
    std::optional<DevNode> Child(DevNode node) const override { return Related(CM_Get_Child, node); }
    std::optional<DevNode> Sibling(DevNode node) const override { return Related(CM_Get_Sibling, node); }

    std::u16string Id(DevNode node) const override {
        wchar_t id[MAX_DEVICE_ID_LEN + 1] = {};
        if (CM_Get_Device_IDW(node, id, MAX_DEVICE_ID_LEN, 0) != CR_SUCCESS) return {};
        return FromWide(id, wcsnlen(id, MAX_DEVICE_ID_LEN));
    }

    std::optional<std::u16string> Text(DevNode node, DevNodeText property) const override {
        if (property == DevNodeText::PortName) return PortName(node);
        DEVPROPTYPE type = 0;
        const auto bytes = PropertyBytes(node, *KeyOf(property), type);
        if (!bytes) return std::nullopt;
        if (type == DEVPROP_TYPE_GUID && bytes->size() == sizeof(GUID)) {
            GUID guid;
            std::memcpy(&guid, bytes->data(), sizeof guid);
            return GuidText(guid);
        }
        if (type != DEVPROP_TYPE_STRING) return std::nullopt;
        const auto strings = Strings(*bytes);
        return strings.empty() ? std::u16string() : strings.front();
    }

    std::vector<std::u16string> LocationPaths(DevNode node) const override {
        DEVPROPTYPE type = 0;
        const auto bytes = PropertyBytes(node, DEVPKEY_Device_LocationPaths, type);
        if (!bytes || type != DEVPROP_TYPE_STRING_LIST) return {};
        return Strings(*bytes);
    }

    std::optional<VolumeFacts> Volume(std::u16string_view root) const override {
        const std::wstring path = ToWide(root);
        wchar_t label[MAX_PATH + 1] = {};
        wchar_t fileSystem[MAX_PATH + 1] = {};
        DWORD serial = 0;
        // A card reader's empty slot or a drive being removed must not bring up a dialog.
        const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS);
        const BOOL read = GetVolumeInformationW(path.c_str(), label, MAX_PATH, &serial, nullptr, nullptr,
                                                fileSystem, MAX_PATH);
        ULARGE_INTEGER size{}, free{};
        const BOOL spaced = read && GetDiskFreeSpaceExW(path.c_str(), nullptr, &size, &free);
        SetErrorMode(previousMode);
        if (!read) return std::nullopt;
        VolumeFacts facts{FromWide(fileSystem, wcslen(fileSystem)), FromWide(label, wcslen(label)), serial, 0, 0};
        if (spaced) {
            facts.size = size.QuadPart;
            facts.freeSpace = free.QuadPart;
        }
        return facts;
    }
};

}  // namespace

std::shared_ptr<const DeviceTree> SystemDeviceTree() {
    static const auto tree = std::make_shared<const SystemTree>();
    return tree;
}

}  // namespace zt::win32
