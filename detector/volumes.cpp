// Volumes of removable and external disk drives: the association walk from drives to their
// logical disks, the inventory and the new-volume inquiry.
#include "detector/com_port_rules.h"
#include "host/dialogs.h"
#include "wmi/ZtWmiU.h"

namespace zt_usb_detector {
namespace {

using com_rules::QuotedValue;
using zt::host::Contains;

constexpr char16_t kDriveFilter[] =
    u"from Win32_diskdrive where (MediaType Like \"Removable Media%\" or MediaType Like "
    u"\"External hard disk%\") ";

String AssociatorsQuery(const String& endClass, const String& key, const String& association) {
    return u"ASSOCIATORS OF {" + endClass + u".DeviceID=\"" + key + u"\"} WHERE AssocClass = " +
           association + u" ";
}

// USBSTOR\\DISK&VEN_X&PROD_Y&REV_1.00\\4C530001230417117364&0 -> 4C530001230417117364
String SerialOf(const String& pnpDeviceIdLine) {
    TStringList pieces;
    TZtUsbDetector::SplitStr(QuotedValue(pnpDeviceIdLine), u"\\\\", pieces);
    const String instance = pieces[2];
    TZtUsbDetector::SplitStr(instance, u"&", pieces);
    return pieces[0];
}

// For each line, the position of the first line at or after it that holds "PNPDeviceID",
// so that the serial scan never reads the rest of the text again.
std::vector<int> NextSerialLines(const TStringList& lines) {
    std::vector<int> next(static_cast<std::size_t>(lines.Count()) + 1, -1);
    for (int i = lines.Count() - 1; i >= 0; --i) {
        const auto at = static_cast<std::size_t>(i);
        next[at] = Contains(lines[i], u"PNPDeviceID") ? i : next[at + 1];
    }
    return next;
}

}  // namespace

// Stage 1: each drive's partitions, followed by the drive's PNPDeviceID line if it has one.
String TZtUsbDetector::PartitionsOfDrives(const String& driveText, String& caption) {
    TStringList lines;
    TStringList result;
    String partitionText;
    lines.SetText(driveText);
    for (int i = 0; i < lines.Count(); ++i) {
        const String& line = lines[i];
        if (Contains(line, u"Caption")) {
            caption = QuotedValue(line);
        } else if (Contains(line, u"DeviceID")) {  // PNPDeviceID lines too: they find nothing
            result.Clear();
            ZtWmiU::DoWmiScript(AssociatorsQuery(u"Win32_DiskDrive", QuotedValue(line),
                                                 u"Win32_DiskDriveToDiskPartition"),
                                result);
            partitionText += result.Text() + u"\r\n";
        }
        if (Contains(line, u"PNPDeviceID")) {
            result.Add(line);
            partitionText += result.Text() + u"\r\n";
        }
    }
    return partitionText;
}

// Stage 2: the logical disks of the partitions followed, and a serial for each one that a
// PNPDeviceID line follows. A serial found clears the override.
String TZtUsbDetector::DisksOfPartitions(const String& partitionText, TStringList& serials,
                                         String& serialOverride) {
    TStringList work;
    TStringList disks;
    String diskText;
    work.SetText(partitionText);
    const std::vector<int> nextSerial = NextSerialLines(work);
    int first = 0;  // the work list's first entry; entries before it are taken out
    while (first < work.Count()) {
        if (Contains(work[first], u"DeviceID")) {
            disks.Clear();
            ZtWmiU::DoWmiScript(AssociatorsQuery(u"Win32_DiskPartition", QuotedValue(work[first]),
                                                 u"Win32_LogicalDiskToPartition"),
                                disks);
            diskText += disks.Text() + u"\r\n";
            ++first;
            const int serialLine = nextSerial[static_cast<std::size_t>(first)];
            if (serialLine >= 0) {
                first = serialLine;
                serials.Add(SerialOf(work[first]));
                serialOverride.clear();
            }
        }
        if (first < work.Count()) ++first;
    }
    return diskText;
}

// Stage 3: one record per logical disk, in the order met.
std::int32_t TZtUsbDetector::VolumesOfDisks(const String& diskText, const String& caption,
                                            const TStringList& serials,
                                            const String& serialOverride) {
    TStringList lines;
    lines.SetText(diskText);
    std::int32_t count = 0;
    for (int i = 0; i < lines.Count(); ++i) {
        const String& line = lines[i];
        if (Contains(line, u"DeviceID")) {
            ++count;
            FZtVolInfo.resize(static_cast<std::size_t>(count) - 1);
            TZtVolInfo& volume = FZtVolInfo.emplace_back();
            volume.DeviceID = QuotedValue(line);
            volume.FulName = caption;
            volume.PNPDeviceID = !serialOverride.empty() ? serialOverride : serials[count - 1];
            continue;
        }
        if (count == 0) continue;  // a field before any volume belongs to none
        TZtVolInfo& volume = FZtVolInfo.back();
        if (Contains(line, u"FileSystem")) {
            volume.FileSystem = QuotedValue(line);
        } else if (Contains(line, u"FreeSpace")) {
            volume.FreeSpace = zt::host::StrToInt64Def(QuotedValue(line), -1);
        } else if (Contains(line, u"Size")) {
            volume.Size = zt::host::StrToInt64Def(QuotedValue(line), -1);
        } else if (Contains(line, u"VolumeName")) {
            volume.VolName = QuotedValue(line);
        } else if (Contains(line, u"VolumeSerialNumber")) {
            volume.VolSerial = QuotedValue(line);
        }
    }
    return count;
}

std::int32_t TZtUsbDetector::GetVols(String driveText, String serialOverride) {
    try {
        String caption;
        TStringList serials;
        const String partitionText = PartitionsOfDrives(driveText, caption);
        const String diskText = DisksOfPartitions(partitionText, serials, serialOverride);
        return VolumesOfDisks(diskText, caption, serials, serialOverride);
    } catch (...) {
        zt::host::ShowMessage(u"Debug ERR #177");
        return 0;
    }
}

std::int32_t TZtUsbDetector::GetAvailableVolumens() {
    const auto alive = Alive();
    FdiskCounter = 0;
    try {
        TStringList drives;
        ZtWmiU::DoWmiScript(String(u"select Caption,PNPDeviceID,DeviceID  ") + kDriveFilter, drives);
        const String driveText = drives.Text();
        if (driveText.empty()) return FdiskCounter;
        TStringList captions;
        for (int i = 0; i < drives.Count(); ++i) {
            if (Contains(drives[i], u"Caption")) captions.Add(QuotedValue(drives[i]));
        }
        const std::int32_t found = GetVols(driveText, u"");
        if (!alive) return 0;  // freed in the loop of a message box
        // The k-th volume is paired with the k-th drive caption of the query.
        ZtAllVolInfo.resize(static_cast<std::size_t>(found));
        for (std::int32_t k = 0; k < found; ++k) {
            const auto at = static_cast<std::size_t>(k);
            ZtAllVolInfo[at] = FZtVolInfo.at(at);
            ZtAllVolInfo[at].FulName = captions[k];
        }
        FdiskCounter = found;
    } catch (...) {
        zt::host::ShowMessage(u"Debug ERR #155");
        if (!alive) return 0;
    }
    return FdiskCounter;
}

void TZtUsbDetector::GetNewVolumenInfo(const String& text) {
    const auto alive = Alive();
    try {
        TStringList drives;
        ZtWmiU::DoWmiScript(String(u"select Caption,DeviceID  ") + kDriveFilter +
                                u"and PNPDeviceID Like \"%" + text + u"%\"",
                            drives);
        const String driveText = drives.Text();
        if (driveText.empty()) return;
        const std::int32_t found = GetVols(driveText, text);
        if (!alive) return;  // freed in the loop of a message box
        DoNewVolInfo(FZtVolInfo, found);
    } catch (...) {
        zt::host::ShowMessage(u"Debug Err #166");
    }
}

}  // namespace zt_usb_detector
