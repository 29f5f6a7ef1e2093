#include "ztusb/detector/serial_port_map.h"

#include <algorithm>
#include <cstring>

#include "ztusb/host/log_line.h"
#include "ztusb/win32/windows_names.h"

namespace zt_usb_detector {
namespace {

namespace win32 = zt::win32;
using zt::host::String;

// Any value name the registry allows (16,383 characters) fits; data beyond 256 bytes is no
// port name, and such a value is passed over without hiding the ones after it.
constexpr win32::DWORD kNameBufferChars = 16384;
constexpr win32::DWORD kDataBufferBytes = 256;

// Registry data as UTF-16 text up to its first NUL or its end.
String RegistryText(const win32::BYTE* data, win32::DWORD size) {
    String text(size / sizeof(char16_t), u'\0');
    std::memcpy(text.data(), data, text.size() * sizeof(char16_t));
    return text.substr(0, text.find(u'\0'));
}

// Closes the key however the reading ends.
struct OpenKey {
    win32::HKEY key = nullptr;
    ~OpenKey() {
        if (key != nullptr) win32::RegCloseKey(key);
    }
};

}  // namespace

std::vector<SerialPortMapValue> ReadSerialPortMap() {
    OpenKey map;
    if (const auto status = win32::RegOpenKeyExW(HKEY_LOCAL_MACHINE, ZT_WTEXT("HARDWARE\\DEVICEMAP\\SERIALCOMM"),
                                                 0, KEY_READ, &map.key);
        status != ERROR_SUCCESS) {
        ZT_LOG(Info, "registry") << "HARDWARE\\DEVICEMAP\\SERIALCOMM could not be opened (error " << status
                                 << "): no serial port is mapped";
    }
    std::vector<SerialPortMapValue> values;
    std::vector<win32::WCHAR> name(kNameBufferChars);
    for (win32::DWORD index = 0;; ++index) {
        win32::BYTE data[kDataBufferBytes];
        win32::DWORD nameLength = kNameBufferChars;
        win32::DWORD dataSize = kDataBufferBytes;
        win32::DWORD type = 0;
        const auto status = win32::RegEnumValueW(map.key, index, name.data(), &nameLength, nullptr,
                                                 &type, data, &dataSize);
        if (status == ERROR_MORE_DATA) {
            ZT_LOG(Info, "registry") << "serial-port value " << index << " skipped: more than "
                                     << kDataBufferBytes << " bytes of data";
            continue;
        }
        if (status != ERROR_SUCCESS) {
            if (status != ERROR_NO_MORE_ITEMS && map.key != nullptr) {
                ZT_LOG(Warning, "registry") << "serial-port value " << index << " could not be read: error " << status;
            }
            break;
        }
        values.push_back({String(name.data(), name.data() + nameLength),
                          RegistryText(data, std::min(dataSize, kDataBufferBytes))});
    }
    return values;
}

}  // namespace zt_usb_detector
