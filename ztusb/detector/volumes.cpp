// Volumes of removable and external disk drives: the walk from each drive through its
// partitions to its logical disks, the inventory and the new-volume inquiry.
#include <algorithm>
#include <span>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

#include "ztusb/detector/wmi_text.h"
#include "ztusb/detector/zt_usb_detector.h"
#include "ztusb/host/dialogs.h"
#include "ztusb/wmi/ZtWmiU.h"

namespace zt_usb_detector {
namespace {

using wmi_text::IsProperty;
using wmi_text::StartsObject;
using wmi_text::QuotedText;
using wmi_text::RawQuotedValue;

constexpr char16_t kDriveFilter[] =
    u"from Win32_diskdrive where (MediaType Like \"Removable Media%\" or MediaType Like "
    u"\"External hard disk%\") ";
const String kInventoryQuery = String(u"select Caption,PNPDeviceID,DeviceID  ") + kDriveFilter;

// One drive of a drive query's result.
struct DriveText {
    String caption;
    String deviceId;     // escapes kept: the key of the drive's association query
    String pnpDeviceId;  // empty when the query did not select it
};

String AssociatorsQuery(const String& endClass, const String& key, const String& association) {
    return u"ASSOCIATORS OF {" + endClass + u".DeviceID=\"" + key + u"\"} WHERE AssocClass = " +
           association + u" ";
}

// Calls visit(first, end) for the lines of each object of a runner's result; lines before
// the first object belong to none.
template <typename Visit>
void ForEachObject(const TStringList& lines, Visit visit) {
    int first = -1;
    for (int i = 0; i <= lines.Count(); ++i) {
        if (i < lines.Count() && !StartsObject(lines[i])) continue;
        if (first >= 0) visit(first, i);
        first = i;
    }
}

using Watch = zt::host::Liveness::Watch;

// A walk asks on behalf of a component that WMI's pump may free: once it is gone, the walk
// gets no more answers and ends quietly.
TStringList Run(const String& query, const Watch& alive) {
    TStringList result;
    if (alive) ZtWmiU::DoWmiScript(query, result);
    return result;
}

std::vector<DriveText> DrivesOf(const TStringList& lines) {
    std::vector<DriveText> drives;
    ForEachObject(lines, [&](int first, int end) {
        DriveText& drive = drives.emplace_back();
        for (int i = first; i < end; ++i) {
            if (IsProperty(lines[i], u"Caption")) drive.caption = QuotedText(lines[i]);
            if (IsProperty(lines[i], u"DeviceID")) drive.deviceId = RawQuotedValue(lines[i]);
            if (IsProperty(lines[i], u"PNPDeviceID")) drive.pnpDeviceId = QuotedText(lines[i]);
        }
    });
    return drives;
}

// The instance part of USBSTOR\<disk>\<instance>&<LUN> without the LUN:
// 4C530001230419115453&0 -> 4C530001230419115453, 7&2A3B4C5D&0 -> 7&2A3B4C5D.
std::optional<String> UsbSerialOf(const String& pnpDeviceId) {
    const std::size_t disk = pnpDeviceId.find(u'\\');
    const std::size_t instance = disk == String::npos ? disk : pnpDeviceId.find(u'\\', disk + 1);
    if (instance == String::npos) return std::nullopt;
    String serial = pnpDeviceId.substr(instance + 1);
    const std::size_t lun = serial.rfind(u'&');
    const bool numbered = lun != String::npos && lun + 1 < serial.size() &&
                          serial.find_first_not_of(u"0123456789", lun + 1) == String::npos;
    if (numbered) serial.resize(lun);
    return serial;
}

std::int64_t NumberIn(std::u16string_view line) {
    return zt::host::StrToInt64Def(QuotedText(line), -1);
}

struct VolumeField {
    std::u16string_view property;
    void (*fill)(TZtVolInfo& volume, std::u16string_view line);
};

constexpr VolumeField kVolumeFields[] = {
    {u"DeviceID", [](TZtVolInfo& v, std::u16string_view line) { v.DeviceID = QuotedText(line); }},
    {u"FileSystem", [](TZtVolInfo& v, std::u16string_view line) { v.FileSystem = QuotedText(line); }},
    {u"FreeSpace", [](TZtVolInfo& v, std::u16string_view line) { v.FreeSpace = NumberIn(line); }},
    {u"Size", [](TZtVolInfo& v, std::u16string_view line) { v.Size = NumberIn(line); }},
    {u"VolumeName", [](TZtVolInfo& v, std::u16string_view line) { v.VolName = QuotedText(line); }},
    {u"VolumeSerialNumber",
     [](TZtVolInfo& v, std::u16string_view line) { v.VolSerial = QuotedText(line); }},
};

TZtVolInfo VolumeOf(const TStringList& lines, int first, int end) {
    TZtVolInfo volume;
    for (int i = first; i < end; ++i) {
        const std::u16string_view name = wmi_text::PropertyName(lines[i]);
        for (const VolumeField& field : kVolumeFields) {
            if (field.property == name) field.fill(volume, lines[i]);
        }
    }
    return volume;
}

String KeyOf(const TStringList& lines, int first, int end) {
    for (int i = first; i < end; ++i) {
        if (IsProperty(lines[i], u"DeviceID")) return RawQuotedValue(lines[i]);
    }
    return {};
}

// The drive's volumes, each with the drive's caption and the override or the drive's own
// USB serial. Throws when a volume has neither.
std::vector<TZtVolInfo> VolumesOfDrive(const DriveText& drive, const String& serialOverride,
                                       const Watch& alive) {
    std::vector<TZtVolInfo> volumes;
    if (drive.deviceId.empty()) return volumes;
    const TStringList partitions = Run(
        AssociatorsQuery(u"Win32_DiskDrive", drive.deviceId, u"Win32_DiskDriveToDiskPartition"), alive);
    ForEachObject(partitions, [&](int first, int end) {
        const TStringList disks = Run(AssociatorsQuery(u"Win32_DiskPartition", KeyOf(partitions, first, end),
                                                       u"Win32_LogicalDiskToPartition"),
                                      alive);
        ForEachObject(disks, [&](int diskFirst, int diskEnd) {
            TZtVolInfo& volume = volumes.emplace_back(VolumeOf(disks, diskFirst, diskEnd));
            volume.FulName = drive.caption;
            const std::optional<String> serial =
                serialOverride.empty() ? UsbSerialOf(drive.pnpDeviceId) : serialOverride;
            if (!serial) throw std::runtime_error("a volume without the USB serial of its drive");
            volume.PNPDeviceID = *serial;
        });
    });
    return volumes;
}

// The volumes of the drives, or nothing when the walk failed, which is reported.
std::optional<std::vector<TZtVolInfo>> WalkDrives(std::span<const DriveText> drives,
                                                  const String& serialOverride, const Watch& alive) {
    try {
        std::vector<TZtVolInfo> volumes;
        for (const DriveText& drive : drives) {
            std::vector<TZtVolInfo> found = VolumesOfDrive(drive, serialOverride, alive);
            volumes.insert(volumes.end(), found.begin(), found.end());
        }
        return volumes;
    } catch (...) {
        zt::host::ShowMessage(u"Debug ERR #177");
        return std::nullopt;
    }
}

// Gathers the volumes of the drives a volume broadcast may stand for: of each drive walked,
// the volumes are kept when one of them has a letter of the broadcast.
class ArrivedVolumes {
public:
    ArrivedVolumes(std::uint32_t unitMask, Watch alive) : unitMask_(unitMask), alive_(std::move(alive)) {}

    void Walk(std::span<const DriveText> drives, const String& serialOverride) {
        for (const DriveText& drive : drives) {
            if (!walked_.insert(zt::host::UpperCase(drive.deviceId)).second) continue;
            const auto volumes = WalkDrives({&drive, 1}, serialOverride, alive_);
            if (volumes && HoldsAnArrivedLetter(*volumes)) {
                volumes_.insert(volumes_.end(), volumes->begin(), volumes->end());
            }
        }
    }

    // The drives whose USB serial is an arrival name, newest name first, up to the first
    // name whose drives hold an arrived letter.
    void WalkListed(const TStringList& names, const std::vector<DriveText>& drives) {
        std::unordered_map<String, std::vector<DriveText>> bySerial;
        for (const DriveText& drive : drives) {
            if (const auto serial = UsbSerialOf(drive.pnpDeviceId)) {
                bySerial[zt::host::UpperCase(*serial)].push_back(drive);
            }
        }
        for (int i = names.Count() - 1; i >= 0 && volumes_.empty(); --i) {
            const auto found = bySerial.find(zt::host::UpperCase(names[i]));
            if (found != bySerial.end()) Walk(found->second, u"");
        }
    }

    bool AnyWalked() const { return !walked_.empty(); }
    const std::vector<TZtVolInfo>& Volumes() const { return volumes_; }

private:
    bool HoldsAnArrivedLetter(const std::vector<TZtVolInfo>& volumes) const {
        return std::any_of(volumes.begin(), volumes.end(), [this](const TZtVolInfo& volume) {
            const char16_t letter = volume.DeviceID.empty() ? u'\0' : volume.DeviceID[0];
            return letter >= u'A' && letter <= u'Z' && (unitMask_ >> (letter - u'A') & 1u) != 0;
        });
    }

    std::uint32_t unitMask_;
    Watch alive_;
    std::unordered_set<String> walked_;  // drive keys in capitals
    std::vector<TZtVolInfo> volumes_;
};

// The inventory's volumes; nothing when no drive answered, none when the walk failed.
std::optional<std::vector<TZtVolInfo>> InventoryVolumes(const Watch& alive) {
    const TStringList drives = Run(kInventoryQuery, alive);
    if (drives.Count() == 0) return std::nullopt;
    return WalkDrives(DrivesOf(drives), u"", alive).value_or(std::vector<TZtVolInfo>{});
}

}  // namespace

std::int32_t TZtUsbDetector::GetAvailableVolumens() {
    FdiskCounter = 0;
    std::optional<std::vector<TZtVolInfo>> volumes;
    if (!CallOut([&, alive = Alive()] {
            try {
                volumes = InventoryVolumes(alive);
            } catch (...) {
                zt::host::ShowMessage(u"Debug ERR #155");
            }
        })) {
        return 0;  // freed while WMI pumped or in the loop of a message box
    }
    if (!volumes) return FdiskCounter;
    ZtAllVolInfo = std::move(*volumes);
    FdiskCounter = static_cast<std::int32_t>(ZtAllVolInfo.size());
    return FdiskCounter;
}

// The drives the request names first; when none of them holds a letter of the arrival, the
// drives of the other arrival names, newest first, from one list of all drives. The names
// are the ones listed when the inquiry began: a broadcast that WMI's pump decodes meanwhile
// counts for the inquiries after it.
void TZtUsbDetector::GetNewVolumenInfo(const String& text, std::uint32_t unitMask) {
    try {
        const TStringList names(*FLastArrivalAName);
        ArrivedVolumes arrived(unitMask, Alive());
        const String namedDrives = String(u"select Caption,DeviceID  ") + kDriveFilter +
                                   u"and PNPDeviceID Like \"%" + wmi_text::LikeLiteral(text) + u"%\"";
        if (!CallOut([&] { arrived.Walk(DrivesOf(Run(namedDrives, Alive())), text); })) return;
        if (arrived.Volumes().empty()) {
            if (!CallOut([&] { arrived.WalkListed(names, DrivesOf(Run(kInventoryQuery, Alive()))); })) return;
        }
        if (!arrived.AnyWalked()) return;
        if (!arrived.Volumes().empty()) FZtVolInfo = arrived.Volumes();
        DoNewVolInfo(FZtVolInfo, static_cast<std::int32_t>(arrived.Volumes().size()));
    } catch (...) {
        zt::host::ShowMessage(u"Debug Err #166");
    }
}

}  // namespace zt_usb_detector
