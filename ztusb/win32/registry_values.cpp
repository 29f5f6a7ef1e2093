#include "ztusb/win32/registry_values.h"

#include <algorithm>

#include "ztusb/win32/windows_names.h"

namespace zt::win32 {
namespace {

constexpr DWORD kNameBufferChars = 16384;  // the longest value name the registry allows
constexpr DWORD kDataBufferBytes = 4096;

RegistryBackend& Installed() {
    static RegistryBackend backend;
    return backend;
}

RegistryRead SystemValues(std::u16string_view keyPath) {
    RegistryRead read;
    const std::basic_string<WCHAR> path(keyPath.begin(), keyPath.end());
    HKEY key = nullptr;
    read.status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key);
    if (read.status != ERROR_SUCCESS) return read;
    std::vector<WCHAR> name(kNameBufferChars);
    std::vector<BYTE> data(kDataBufferBytes);
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = kNameBufferChars;
        DWORD dataSize = kDataBufferBytes;
        DWORD type = 0;
        const LSTATUS status = RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &dataSize);
        if (status == ERROR_MORE_DATA) {
            read.tooLong.push_back(index);
            continue;
        }
        if (status != ERROR_SUCCESS) {
            read.status = status == ERROR_NO_MORE_ITEMS ? ERROR_SUCCESS : status;
            break;
        }
        read.values.push_back({std::u16string(name.begin(), name.begin() + nameLength), type,
                               std::vector<BYTE>(data.begin(), data.begin() + std::min(dataSize, kDataBufferBytes))});
    }
    RegCloseKey(key);
    return read;
}

}  // namespace

RegistryBackend SetRegistryBackend(RegistryBackend backend) { return std::exchange(Installed(), std::move(backend)); }

RegistryRead ReadRegistryValues(std::u16string_view keyPath) {
    return Installed() ? Installed()(keyPath) : SystemValues(keyPath);
}

}  // namespace zt::win32
