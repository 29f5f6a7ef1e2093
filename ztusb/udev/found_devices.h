#pragma once
// Devices found on a machine (through udev on Linux), described by what the machine tells
// of them, and the Windows objects they become: the same shapes as the device models'.
// Everything in the facts comes from devices: any bytes, any length.

#include <cstdint>
#include <string>
#include <vector>

#include "ztusb/udev/device_names.h"
#include "ztusb/sim/boards.h"

namespace zt::udev {

struct FoundTty {
    std::string node;             // /dev/ttyUSB0
    unsigned interfaceNumber;     // the USB interface that carries it
    String port;                  // the COM name it was given
};

struct FoundPartition {
    std::string node;        // /dev/sdb1
    unsigned number;         // its place in the partition table, from 1
    std::uint64_t size;      // bytes
    std::string fileSystem;  // as Linux names it: vfat, exfat, ntfs, ...
    std::string fileSystemVersion;  // FAT32, FAT16, ...
    std::string label;
    std::string uuid;        // 1A2B-3C4D for FAT, 16 hex digits for NTFS
    std::string mountPoint;  // empty when not mounted
    // Of a mounted file system.
    String letter;
    std::uint64_t fileSystemSize;
    std::uint64_t freeSpace;
};

struct FoundDisk {
    std::string node;                     // /dev/sdb
    std::string vendor, model, revision;  // the SCSI inquiry's, blank-padded
    std::uint16_t lun;
    unsigned interfaceNumber;  // the USB interface of its mass storage function
    bool removable;  // a stick; otherwise an external disk
    bool uas;        // on USB-attached SCSI (the uas driver): a SCSI drive to Windows
    bool gpt;
    std::uint32_t index;  // \\.\PHYSICALDRIVE<index>
    std::vector<FoundPartition> partitions;  // in disk order
};

struct FoundUsbDevice {
    std::string location;  // the port path, 1-1.2: where Windows' made-up instances come from
    std::string vendorId, productId;  // four hex digits each
    std::string serial, manufacturer, product;
    unsigned interfaceCount;
    bool hub;  // device class 09: what is plugged into it hangs from it
    std::vector<FoundTty> ttys;
    std::vector<FoundDisk> disks;
};

// A USB device and what it holds, the way Windows would show it, and where it is plugged in.
struct MirroredDevice : sim::UsbBoard {
    String location;
};

// The instance ID Windows uses: the serial number when there is a usable one, otherwise one
// made from the location (5&2d6e3b1&0&2).
String UsbInstance(const FoundUsbDevice& device);
// Windows' instance made from the location, used when two devices give the same serial.
String MadeUpInstance(const FoundUsbDevice& device);

MirroredDevice MirrorDevice(const FoundUsbDevice& device, const String& instance);

// The keys its COM names and its volumes' drive letters are kept under (DeviceNames).
std::string ComNameKey(const FoundUsbDevice& device, const String& instance, const FoundTty& tty);
std::string VolumeNameKey(const String& instance, const FoundDisk& disk, std::size_t partition);

// Windows' name of a file system: vfat FAT32 -> FAT32, exfat -> exFAT, ntfs -> NTFS.
String WindowsFileSystem(const std::string& type, const std::string& version);
// The volume serial Windows shows: 1A2B-3C4D -> 1A2B3C4D; NTFS' 64-bit one by its low half.
String VolumeSerial(const std::string& uuid);

}  // namespace zt::udev
