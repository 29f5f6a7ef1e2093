#include "ztusb/detector/serial_port_map.h"

#include <algorithm>
#include <cstring>

#include "ztusb/host/log_line.h"
#include "ztusb/win32/registry_values.h"
#include "ztusb/win32/windows_names.h"

namespace zt_usb_detector {
namespace {

namespace win32 = zt::win32;
using zt::host::String;

// Data beyond 256 bytes is no port name; such a value is passed over without hiding the ones
// after it.
constexpr std::size_t kLongestPortData = 256;

// Registry data as UTF-16 text up to its first NUL or its end.
String RegistryText(const std::vector<win32::BYTE>& data) {
    String text(data.size() / sizeof(char16_t), u'\0');
    // No data is no text: an empty vector's data may be null, which memcpy may not take.
    if (!text.empty()) std::memcpy(text.data(), data.data(), text.size() * sizeof(char16_t));
    return text.substr(0, text.find(u'\0'));
}

void Skipped(std::size_t index) {
    ZT_LOG(Info, "registry") << "serial-port value " << index << " skipped: more than " << kLongestPortData
                             << " bytes of data";
}

}  // namespace

std::vector<SerialPortMapValue> ReadSerialPortMap() {
    const win32::RegistryRead read = win32::ReadRegistryValues(u"HARDWARE\\DEVICEMAP\\SERIALCOMM");
    if (read.values.empty() && read.tooLong.empty() && read.status != ERROR_SUCCESS) {
        ZT_LOG(Info, "registry") << "HARDWARE\\DEVICEMAP\\SERIALCOMM could not be opened (error " << read.status
                                 << "): no serial port is mapped";
        return {};
    }
    if (read.status != ERROR_SUCCESS) {
        ZT_LOG(Warning, "registry") << "serial-port value " << read.values.size() + read.tooLong.size()
                                    << " could not be read: error " << read.status;
    }
    std::vector<SerialPortMapValue> values;
    // The values read, in the registry's places among those passed over.
    std::size_t place = 0;
    auto tooLong = read.tooLong.begin();
    for (const win32::RegistryValue& value : read.values) {
        for (; tooLong != read.tooLong.end() && *tooLong == place; ++tooLong, ++place) Skipped(place);
        if (value.data.size() > kLongestPortData) {
            Skipped(place++);
            continue;
        }
        values.push_back({value.name, RegistryText(value.data)});
        ++place;
    }
    for (; tooLong != read.tooLong.end(); ++tooLong) Skipped(*tooLong);
    return values;
}

}  // namespace zt_usb_detector
