#include "ztusb/devices/d2xx_entries.h"

#include <algorithm>
#include <cstring>

#include "ztusb/d2xx/d2xx_library.h"
#include "ztusb/host/log_line.h"

namespace zt::devices {
namespace {

constexpr std::uint16_t kFtdiVendor = 0x0403;
constexpr d2xx::DWORD kMostEntries = 256;  // more FTDI chips than a machine holds

std::string BufferText(const char* text, std::size_t size) { return std::string(text, strnlen(text, size)); }

std::vector<d2xx::FT_Device_Info_Node> ReadEntries() {
    using namespace D2XXUnit_ZT::detail;
    d2xx::DWORD count = 0;
    if (Invoke<d2xx::entry::FT_CreateDeviceInfoList>(&count) != d2xx::FT_OK || count == 0) return {};
    std::vector<d2xx::FT_Device_Info_Node> entries(std::min(count, kMostEntries));
    d2xx::DWORD filled = static_cast<d2xx::DWORD>(entries.size());
    if (Invoke<d2xx::entry::FT_GetDeviceInfoList>(entries.data(), &filled) != d2xx::FT_OK) return {};
    entries.resize(std::min<std::size_t>(filled, entries.size()));
    return entries;
}

// The entry's serial is the chip's, or the chip's with a channel letter after it.
bool Owns(const UsbDevice& device, const std::string& serial, std::uint32_t id) {
    if (device.vendorId != kFtdiVendor || !device.serial || id != (std::uint32_t{device.vendorId} << 16 | device.productId)) {
        return false;
    }
    const std::string& chip = *device.serial;
    if (serial == chip) return true;
    return serial.size() == chip.size() + 1 && serial.starts_with(chip) && serial.back() >= 'A' && serial.back() <= 'Z';
}

}  // namespace

void AttachD2xxEntries(std::vector<UsbDevice>& devices) {
    if (std::none_of(devices.begin(), devices.end(), [](const UsbDevice& d) { return d.vendorId == kFtdiVendor; })) return;
    const std::vector<d2xx::FT_Device_Info_Node> entries = ReadEntries();
    for (std::size_t index = 0; index < entries.size(); ++index) {
        const auto& entry = entries[index];
        const std::string serial = BufferText(entry.SerialNumber, sizeof entry.SerialNumber);
        std::vector<UsbDevice*> owners;
        for (UsbDevice& device : devices) {
            if (Owns(device, serial, entry.ID)) owners.push_back(&device);
        }
        if (owners.size() != 1) {
            ZT_LOG(Debug, "d2xx") << "entry " << index << " (" << serial << ") " << (owners.empty() ? "on no" : "on more than one")
                                  << " attached chip";
            continue;
        }
        owners.front()->d2xx.push_back({static_cast<std::uint32_t>(index), serial, entry.LocID,
                                        BufferText(entry.Description, sizeof entry.Description)});
    }
}

}  // namespace zt::devices
