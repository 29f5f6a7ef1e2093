#include "ztusb/world/cim_schema.h"

#include <algorithm>
#include <array>

namespace zt::world {
namespace {

using enum CimType;

constexpr CimProperty kPnPEntity[] = {
    {u"Availability", UInt16, false},       {u"Caption", Text, false},
    {u"ClassGuid", Text, false},          {u"ConfigManagerErrorCode", UInt32, false},
    {u"CreationClassName", Text, false},  {u"Description", Text, false},
    {u"DeviceID", Text, true},            {u"Manufacturer", Text, false},
    {u"Name", Text, false},               {u"PNPClass", Text, false},
    {u"PNPDeviceID", Text, false},        {u"Present", Boolean, false},
    {u"Service", Text, false},            {u"Status", Text, false},
    {u"SystemName", Text, false},
};

constexpr CimProperty kDiskDrive[] = {
    {u"BytesPerSector", UInt32, false},          {u"Caption", Text, false},
    {u"ConfigManagerErrorCode", UInt32, false},  {u"ConfigManagerUserConfig", Boolean, false},
    {u"CreationClassName", Text, false},       {u"Description", Text, false},
    {u"DeviceID", Text, true},                 {u"Index", UInt32, false},
    {u"InterfaceType", Text, false},           {u"Manufacturer", Text, false},
    {u"MediaLoaded", Boolean, false},            {u"MediaType", Text, false},
    {u"Model", Text, false},                   {u"Name", Text, false},
    {u"Partitions", UInt32, false},              {u"PNPDeviceID", Text, false},
    {u"SCSIBus", UInt32, false},                 {u"SCSILogicalUnit", UInt16, false},
    {u"SCSIPort", UInt16, false},                {u"SCSITargetId", UInt16, false},
    {u"SectorsPerTrack", UInt32, false},         {u"SerialNumber", Text, false},
    {u"Size", UInt64, false},                    {u"Status", Text, false},
    {u"SystemCreationClassName", Text, false}, {u"SystemName", Text, false},
    {u"TotalCylinders", UInt64, false},          {u"TotalHeads", UInt32, false},
    {u"TotalSectors", UInt64, false},            {u"TotalTracks", UInt64, false},
    {u"TracksPerCylinder", UInt32, false},
};

constexpr CimProperty kDiskPartition[] = {
    {u"BlockSize", UInt64, false},          {u"Bootable", Boolean, false},
    {u"BootPartition", Boolean, false},     {u"Caption", Text, false},
    {u"CreationClassName", Text, false},  {u"Description", Text, false},
    {u"DeviceID", Text, true},            {u"DiskIndex", UInt32, false},
    {u"HiddenSectors", UInt32, false},      {u"Index", UInt32, false},
    {u"Name", Text, false},               {u"NumberOfBlocks", UInt64, false},
    {u"PrimaryPartition", Boolean, false},  {u"Size", UInt64, false},
    {u"StartingOffset", UInt64, false},     {u"SystemCreationClassName", Text, false},
    {u"SystemName", Text, false},         {u"Type", Text, false},
};

constexpr CimProperty kLogicalDisk[] = {
    {u"Access", UInt16, false},                        {u"Caption", Text, false},
    {u"Compressed", Boolean, false},                   {u"CreationClassName", Text, false},
    {u"Description", Text, false},                   {u"DeviceID", Text, true},
    {u"DriveType", UInt32, false},                     {u"FileSystem", Text, false},
    {u"FreeSpace", UInt64, false},                     {u"MaximumComponentLength", UInt32, false},
    {u"MediaType", UInt32, false},                     {u"Name", Text, false},
    {u"Size", UInt64, false},                          {u"SupportsDiskQuotas", Boolean, false},
    {u"SupportsFileBasedCompression", Boolean, false}, {u"SystemCreationClassName", Text, false},
    {u"SystemName", Text, false},                    {u"VolumeDirty", Boolean, false},
    {u"VolumeName", Text, false},                    {u"VolumeSerialNumber", Text, false},
};

constexpr CimProperty kAssociation[] = {
    {u"Antecedent", Text, true},
    {u"Dependent", Text, true},
};

constexpr std::array<CimClass, 6> kClasses = {{
    {u"Win32_PnPEntity", kPnPEntity, nullptr, nullptr},
    {u"Win32_DiskDrive", kDiskDrive, nullptr, nullptr},
    {u"Win32_DiskPartition", kDiskPartition, nullptr, nullptr},
    {u"Win32_LogicalDisk", kLogicalDisk, nullptr, nullptr},
    {u"Win32_DiskDriveToDiskPartition", kAssociation, u"Win32_DiskDrive", u"Win32_DiskPartition"},
    {u"Win32_LogicalDiskToPartition", kAssociation, u"Win32_DiskPartition", u"Win32_LogicalDisk"},
}};

static_assert(std::all_of(kClasses.begin(), kClasses.end(),
                          [](const CimClass& c) { return c.properties.size() <= kMaxCimProperties; }));

}  // namespace

const CimProperty* CimClass::Find(std::u16string_view propertyName) const {
    const auto found = std::find_if(properties.begin(), properties.end(), [&](const auto& p) {
        return host::SameText(p.name, propertyName);
    });
    return found == properties.end() ? nullptr : &*found;
}

const CimProperty& CimClass::Key() const {
    return *std::find_if(properties.begin(), properties.end(),
                         [](const CimProperty& p) { return p.key; });
}

const CimClass* FindCimClass(std::u16string_view name) {
    const auto found = std::find_if(kClasses.begin(), kClasses.end(), [&](const CimClass& c) {
        return host::SameText(c.name, name);
    });
    return found == kClasses.end() ? nullptr : &*found;
}

}  // namespace zt::world
