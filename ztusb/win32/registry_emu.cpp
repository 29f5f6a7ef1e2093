// The emulated registry: keys under HKEY_LOCAL_MACHINE, values in the order they were set.
#include "ztusb/win32/registry_emu.h"
#include "ztusb/win32/default_world_emu.h"
#include "ztusb/win32/windows_names.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <string>
#include <unordered_map>

namespace zt::win32 {
namespace {

struct Value {
    std::u16string name;
    DWORD type;
    std::vector<BYTE> data;
};

// A key's values in the order they were set, with an index by upper-cased name so that
// setting one stays cheap in a large map.
struct Key {
    std::vector<Value> values;
    std::unordered_map<std::u16string, std::size_t> byName;
};

struct Registry {
    std::mutex mutex;
    std::map<std::u16string, Key> keys;  // by upper-cased path
    std::map<HKEY, std::u16string> openKeys;
    std::uintptr_t nextHandle = 0x1000;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

// Key paths and value names ignore letter case, as Windows' do.
std::u16string Folded(std::u16string_view text) {
    std::u16string folded(text);
    for (char16_t& c : folded) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    }
    return folded;
}

std::size_t Length(LPCWSTR text) { return std::char_traits<char16_t>::length(text); }

}  // namespace

LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM, HKEY* result) {
    if (key != HKEY_LOCAL_MACHINE || subKey == nullptr || result == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    emulated::TheDefaultWorld();  // made, it has written what it holds
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    const std::u16string path = Folded(std::u16string_view(subKey, Length(subKey)));
    if (registry.keys.find(path) == registry.keys.end()) return ERROR_FILE_NOT_FOUND;
    registry.nextHandle += 4;
    *result = reinterpret_cast<HKEY>(registry.nextHandle);
    registry.openKeys.emplace(*result, path);
    return ERROR_SUCCESS;
}

LSTATUS RegEnumValueW(HKEY key, DWORD index, LPWSTR name, DWORD* nameLength, DWORD*, DWORD* type,
                      BYTE* data, DWORD* dataSize) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    const auto open = registry.openKeys.find(key);
    if (open == registry.openKeys.end()) return ERROR_INVALID_HANDLE;
    const auto found = registry.keys.find(open->second);
    if (found == registry.keys.end() || index >= found->second.values.size()) return ERROR_NO_MORE_ITEMS;
    const Value& value = found->second.values[index];
    if (name == nullptr || nameLength == nullptr || *nameLength < value.name.size() + 1) {
        return ERROR_MORE_DATA;
    }
    std::copy(value.name.begin(), value.name.end(), name);
    name[value.name.size()] = u'\0';
    *nameLength = static_cast<DWORD>(value.name.size());
    if (type != nullptr) *type = value.type;
    if (dataSize != nullptr) {
        const DWORD room = *dataSize;
        *dataSize = static_cast<DWORD>(value.data.size());
        if (data != nullptr && room < value.data.size()) return ERROR_MORE_DATA;
        if (data != nullptr) std::copy(value.data.begin(), value.data.end(), data);
    }
    return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY key) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    return registry.openKeys.erase(key) == 1 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

void emulated::SetRegistryValue(std::u16string_view keyPath, std::u16string_view valueName,
                                DWORD type, const std::vector<BYTE>& data) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    Key& key = registry.keys[Folded(keyPath)];
    const auto [found, added] = key.byName.emplace(Folded(valueName), key.values.size());
    if (added) {
        key.values.push_back({std::u16string(valueName), type, data});
    } else {
        key.values[found->second].type = type;
        key.values[found->second].data = data;
    }
}

bool emulated::DeleteRegistryValue(std::u16string_view keyPath, std::u16string_view valueName) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    const auto key = registry.keys.find(Folded(keyPath));
    if (key == registry.keys.end()) return false;
    Key& values = key->second;
    const auto found = values.byName.find(Folded(valueName));
    if (found == values.byName.end()) return false;
    const std::size_t removed = found->second;
    values.byName.erase(found);
    values.values.erase(values.values.begin() + static_cast<std::ptrdiff_t>(removed));
    for (auto& [name, index] : values.byName) {
        if (index > removed) --index;
    }
    return true;
}

bool emulated::DeleteRegistryKey(std::u16string_view keyPath) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    return registry.keys.erase(Folded(keyPath)) == 1;
}

}  // namespace zt::win32
