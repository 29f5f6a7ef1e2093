// Volumes of removable and external disk drives: the walk from each drive through its
// partitions to its logical disks (and back from a letter to its drive), the inventory and the
// new-volume inquiry.
#include <algorithm>
#include <bit>
#include <span>
#include <stdexcept>
#include <utility>

#include "ztusb/detector/failure_message.h"
#include "ztusb/win32/usb_identity.h"
#include "ztusb/detector/wmi_text.h"
#include "ztusb/detector/component_impl.h"
#include "ztusb/host/log_line.h"
#include "ztusb/wmi/ZtWmiU.h"

namespace zt_usb_detector {
namespace {

using wmi_text::IsProperty;
using wmi_text::StartsObject;
using wmi_text::QuotedText;
using wmi_text::RawQuotedValue;
using zt::host::ToUtf8;

// The drives both inquiries take: removable media and external disks, by MediaType.
constexpr char16_t kDriveFilter[] =
    u"from Win32_diskdrive where (MediaType Like \"Removable Media%\" or MediaType Like "
    u"\"External hard disk%\") ";
// The same filter for a drive reached by association, which no WHERE selected.
constexpr std::u16string_view kAdmittedMediaTypes[] = {u"Removable Media", u"External hard disk"};
const String kDriveSelection = String(u"select Caption,PNPDeviceID,DeviceID  ") + kDriveFilter;

// One drive of a drive query's result.
struct DriveText {
    String caption;
    String deviceId;     // escapes kept: the key of the drive's association query
    String pnpDeviceId;  // empty when the query did not select it
    String mediaType;    // empty when the query did not select it
};

bool Admitted(const DriveText& drive) {
    return std::any_of(std::begin(kAdmittedMediaTypes), std::end(kAdmittedMediaTypes),
                       [&](std::u16string_view type) {
                           return zt::host::SameText(
                               std::u16string_view(drive.mediaType).substr(0, type.size()), type);
                       });
}

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
    static_cast<void>(alive.CallOut([&] { ZtWmiU::DoWmiScript(query, result); }));
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
            if (IsProperty(lines[i], u"MediaType")) drive.mediaType = QuotedText(lines[i]);
        }
    });
    return drives;
}

// The instance part of <enumerator>\<disk>\<instance>&<LUN> without the LUN:
// 4C530001230419115453&0 -> 4C530001230419115453, 7&2A3B4C5D&0 -> 7&2A3B4C5D, and a UASP
// drive's 7&2C7D3F3F&0&000000 -> 7&2C7D3F3F&0, the same for every LUN of its bridge.
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

// The name of the USB device behind the drive, as its arrival and its ports give it: found up
// the device tree where it holds the drive (a composite device's, a UASP bridge's, a stick
// whose disk has an instance of its own), otherwise read from the drive's device ID.
std::optional<String> UsbNameOf(const String& pnpDeviceId) {
    if (auto name = zt::win32::HolderIdentity(pnpDeviceId)) return name;
    return UsbSerialOf(pnpDeviceId);
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

// The volumes of one partition of the drive, each with the drive's caption and USB serial.
// Throws when the drive's device ID holds no serial.
std::vector<TZtVolInfo> VolumesOfPartition(const DriveText& drive, const String& partition, const Watch& alive) {
    std::vector<TZtVolInfo> volumes;
    const TStringList disks = Run(
        AssociatorsQuery(u"Win32_DiskPartition", partition, u"Win32_LogicalDiskToPartition"), alive);
    ForEachObject(disks, [&](int first, int end) {
        TZtVolInfo& volume = volumes.emplace_back(VolumeOf(disks, first, end));
        volume.FulName = drive.caption;
        const std::optional<String> serial = UsbNameOf(drive.pnpDeviceId);
        if (!serial) throw std::runtime_error("a volume without the USB serial of its drive " + ToUtf8(drive.pnpDeviceId));
        volume.PNPDeviceID = *serial;
    });
    return volumes;
}

std::vector<TZtVolInfo> VolumesOfDrive(const DriveText& drive, const Watch& alive) {
    std::vector<TZtVolInfo> volumes;
    if (drive.deviceId.empty()) {
        ZT_LOG(Info, "scan") << "drive " << drive.caption << " skipped: its object has no DeviceID";
        return volumes;
    }
    const TStringList partitions = Run(
        AssociatorsQuery(u"Win32_DiskDrive", drive.deviceId, u"Win32_DiskDriveToDiskPartition"), alive);
    ForEachObject(partitions, [&](int first, int end) {
        const std::vector<TZtVolInfo> found = VolumesOfPartition(drive, KeyOf(partitions, first, end), alive);
        volumes.insert(volumes.end(), found.begin(), found.end());
    });
    return volumes;
}

// What `walk` found, or nothing when it failed, which is reported.
template <typename Walk>
std::optional<std::vector<TZtVolInfo>> Reported(Walk walk) {
    try {
        return walk();
    } catch (...) {
        ShowFailureMessage(u"Debug ERR #177");
        return std::nullopt;
    }
}

std::optional<std::vector<TZtVolInfo>> WalkDrives(std::span<const DriveText> drives, const Watch& alive) {
    return Reported([&] {
        std::vector<TZtVolInfo> volumes;
        for (const DriveText& drive : drives) {
            std::vector<TZtVolInfo> found = VolumesOfDrive(drive, alive);
            volumes.insert(volumes.end(), found.begin(), found.end());
        }
        return volumes;
    });
}

String LetterOf(int index) { return String{static_cast<char16_t>(u'A' + index), u':'}; }

int LetterIndex(const TZtVolInfo& volume) {
    const char16_t letter = volume.DeviceID.empty() ? u'\0' : volume.DeviceID[0];
    return letter >= u'A' && letter <= u'Z' ? letter - u'A' : -1;
}

// The volumes a broadcast announced, by its letters: first on the drives the arrival name
// finds, as a stick's are; then each letter still missing from its logical disk back to its
// partition and drive, which finds any drive whatever its device ID holds (a UASP drive, a
// stick without a serial) at a cost that no other drive or listed device adds to.
class ArrivedVolumes {
public:
    ArrivedVolumes(std::uint32_t unitMask, Watch alive) : missing_(unitMask), alive_(std::move(alive)) {}

    // The drives whose USB serial is the name; the LIKE of their query also selects drives
    // that merely contain it.
    void WalkNamed(const String& name, const std::vector<DriveText>& drives) {
        for (const DriveText& drive : drives) {
            const auto serial = UsbSerialOf(drive.pnpDeviceId);
            const auto owner = UsbNameOf(drive.pnpDeviceId);
            if ((serial && zt::host::SameText(*serial, name)) || (owner && zt::host::SameText(*owner, name))) {
                Keep(WalkDrives({&drive, 1}, alive_));
            }
        }
    }

    void WalkBackMissingLetters() {
        for (std::uint32_t rest = missing_; rest != 0; rest &= rest - 1) {
            const int index = std::countr_zero(rest);
            if ((missing_ >> index & 1u) != 0) WalkBack(LetterOf(index));
        }
    }

    const std::vector<TZtVolInfo>& Volumes() const { return volumes_; }

private:
    void WalkBack(const String& letter) {
        const TStringList partitions =
            Run(AssociatorsQuery(u"Win32_LogicalDisk", letter, u"Win32_LogicalDiskToPartition"), alive_);
        ForEachObject(partitions, [&](int first, int end) {
            const String partition = KeyOf(partitions, first, end);
            const std::vector<DriveText> drives = DrivesOf(Run(
                AssociatorsQuery(u"Win32_DiskPartition", partition, u"Win32_DiskDriveToDiskPartition"), alive_));
            for (const DriveText& drive : drives) {
                if (!Admitted(drive)) {  // a fixed disk's letter
                    ZT_LOG(Debug, "scan") << "drive " << drive.deviceId << " of " << letter
                                          << " skipped: MediaType " << drive.mediaType << " is not removable";
                    continue;
                }
                Keep(Reported([&] { return VolumesOfPartition(drive, partition, alive_); }));
            }
        });
    }

    // Each announced letter once; a letter the broadcast did not announce was there before.
    void Keep(const std::optional<std::vector<TZtVolInfo>>& volumes) {
        if (!volumes) return;
        for (const TZtVolInfo& volume : *volumes) {
            const int index = LetterIndex(volume);
            if (index < 0 || (missing_ >> index & 1u) == 0) continue;
            missing_ &= ~(1u << index);
            volumes_.push_back(volume);
        }
    }

    std::uint32_t missing_;
    Watch alive_;
    std::vector<TZtVolInfo> volumes_;
};

// The inventory's volumes; nothing when no drive answered, none when the walk failed.
std::optional<std::vector<TZtVolInfo>> InventoryVolumes(const Watch& alive) {
    const TStringList drives = Run(kDriveSelection, alive);
    if (drives.Count() == 0) return std::nullopt;
    return WalkDrives(DrivesOf(drives), alive).value_or(std::vector<TZtVolInfo>{});
}

}  // namespace

std::int32_t TZtUsbDetector::Impl::GetAvailableVolumens() {
    FdiskCounter = 0;
    std::optional<std::vector<TZtVolInfo>> volumes;
    if (!Inquire([&, alive = Alive()] {
            try {
                volumes = InventoryVolumes(alive);
            } catch (...) {
                ShowFailureMessage(u"Debug ERR #155");
            }
        })) {
        return 0;  // freed while WMI pumped or in the loop of a message box
    }
    if (!volumes) return FdiskCounter;
    FDetector.ZtAllVolInfo = std::move(*volumes);
    FdiskCounter = static_cast<std::int32_t>(FDetector.ZtAllVolInfo.size());
    return FdiskCounter;
}

// The volumes of the broadcast's letters on removable and external drives, each with its own
// drive's caption and USB serial, as the inventory gives them; nothing is raised when none of
// the letters is on such a drive.
void TZtUsbDetector::Impl::GetNewVolumenInfo(const String& text, std::uint32_t unitMask) {
    try {
        const Watch alive = Alive();
        ArrivedVolumes arrived(unitMask, alive);
        const String namedDrives = kDriveSelection + u"and PNPDeviceID Like \"%" + wmi_text::LikeLiteral(text) + u"%\"";
        if (!CallOut([&] {
                arrived.WalkNamed(text, DrivesOf(Run(namedDrives, alive)));
                arrived.WalkBackMissingLetters();
            })) {
            return;  // freed while WMI pumped or in the loop of a message box
        }
        if (arrived.Volumes().empty()) return;
        FZtVolInfo = arrived.Volumes();
        FDetector.DoNewVolInfo(FZtVolInfo, static_cast<std::int32_t>(FZtVolInfo.size()));
    } catch (...) {
        ShowFailureMessage(u"Debug Err #166");
    }
}

}  // namespace zt_usb_detector
