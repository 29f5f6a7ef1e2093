#include "sim/storage_devices.h"

#include "sim/broadcast.h"

namespace zt::sim {
namespace {

// A drive behind a USB mass-storage device: USBSTOR\<disk part>\<serial>&0.
StorageDevice UsbDrive(const String& hardware, const String& caption, const String& mediaType,
                       const String& diskPart, const String& serial, std::uint32_t index,
                       std::vector<Volume> volumes) {
    return {UsbDeviceInterfaceName(hardware, serial),
            caption,
            mediaType,
            u"USBSTOR\\" + diskPart + u"\\" + serial + u"&0",
            index,
            std::move(volumes)};
}

}  // namespace

StorageDevice UsbStick(const String& serial, std::uint32_t index, std::vector<Volume> volumes) {
    return UsbDrive(u"VID_0781&PID_5567", u"SanDisk Cruzer Blade USB Device", u"Removable Media",
                    u"DISK&VEN_SANDISK&PROD_CRUZER_BLADE&REV_1.00", serial, index,
                    std::move(volumes));
}

StorageDevice ExternalHardDisk(const String& serial, std::uint32_t index,
                               std::vector<Volume> volumes) {
    return UsbDrive(u"VID_1058&PID_25A2", u"WD Elements 25A2 USB Device",
                    u"External hard disk media", u"DISK&VEN_WD&PROD_ELEMENTS_25A2&REV_1021", serial,
                    index, std::move(volumes));
}

StorageDevice FixedDisk(std::uint32_t index, std::vector<Volume> volumes) {
    return {{},
            u"Samsung SSD 980 1TB",
            u"Fixed hard disk media",
            u"SCSI\\DISK&VEN_NVME&PROD_SAMSUNG_SSD_980\\5&1B2C3D4E&0&000000",
            index,
            std::move(volumes)};
}

std::uint32_t UnitMask(const StorageDevice& device) {
    std::uint32_t mask = 0;
    for (const Volume& volume : device.volumes) {
        const char16_t letter = volume.letter.empty() ? 0 : volume.letter[0];
        if (letter >= u'A' && letter <= u'Z') mask |= 1u << (letter - u'A');
    }
    return mask;
}

}  // namespace zt::sim
