#pragma once
// A USB device as its user knows it: where it is plugged in and all its faces, its serial
// ports, disks and volumes, D2XX entries. One record per physical USB device, a composite
// one included; a hub is a record of its own, and the devices plugged into it name it as
// their hub. Text is UTF-8; numbers are numbers.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zt::devices {

struct ComPort {
    std::string name;  // COM5
    // The file to open: \\.\COM5 on Windows, /dev/ttyUSB0 on Linux; empty for a simulated port.
    std::string path;
    std::optional<std::uint8_t> interfaceNumber;  // the USB interface that carries it
    std::optional<char> channel;                  // an FTDI chip's channel: 'A', 'B', ...

    bool operator==(const ComPort&) const = default;
};

struct Disk {
    std::string id;       // USBSTOR\DISK&VEN_...\...&0 on Windows, /dev/sdb on Linux
    std::uint16_t lun = 0;
    std::string caption;  // SanDisk Cruzer Blade USB Device

    bool operator==(const Disk&) const = default;
};

struct Volume {
    std::string letter;      // E: ; empty for a volume without one
    std::string mountPoint;  // where Linux mounted it; empty elsewhere
    std::string fileSystem;  // FAT32, exFAT, NTFS
    std::int64_t size = 0;   // bytes
    std::int64_t freeSpace = 0;
    std::string label;
    std::string serial;        // 1A2B3C4D
    std::uint16_t lun = 0;     // the disk it sits on
    std::string driveCaption;  // that disk's caption

    bool operator==(const Volume&) const = default;
};

// An FTDI chip's entry in the D2XX library's list.
struct D2xxEntry {
    std::uint32_t index = 0;
    std::string serial;  // the EEPROM serial with the channel letter: FT5Y6HVEA
    std::uint32_t locationId = 0;
    std::string description;

    bool operator==(const D2xxEntry&) const = default;
};

// What Windows keeps of the device; empty on Linux.
struct WindowsPlace {
    std::string instanceId;                  // USB\VID_0403&PID_6001\A50285BI
    std::string locationInfo;                // Port_#0002.Hub_#0004
    std::vector<std::string> locationPaths;  // PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)
    std::string containerId;                 // {…}

    bool operator==(const WindowsPlace&) const = default;
};

struct UsbDevice {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::optional<std::string> serial;  // none for a device that reports none
    std::string manufacturer;
    std::string product;
    // Where it is plugged in, as Linux names it on both platforms: 1-4.2 is port 2 of the hub
    // on port 4 of bus 1.
    std::string location;
    std::string hub;  // the location of the hub it hangs from; empty on a root port
    // The name the detector's records and events give it (TZtComInfo::Serial, OnUsbDetect):
    // its serial, or the instance Windows made for it.
    std::string name;
    WindowsPlace windows;
    std::vector<ComPort> ports;
    std::vector<Disk> disks;
    std::vector<Volume> volumes;
    std::vector<D2xxEntry> d2xx;
    bool usbasp = false;
    bool isHub = false;

    bool operator==(const UsbDevice&) const = default;
};

}  // namespace zt::devices
