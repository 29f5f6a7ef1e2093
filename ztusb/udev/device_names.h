#pragma once
// COM numbers and drive letters given the way Windows gives them: a device keeps its number
// and a volume its letter across plugs and restarts; a new one gets the lowest free. Kept in
// a small state file, written whenever a new device or volume is named, a plain listing
// included (see DefaultDeviceNamesFile for where, and how to turn it off).

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ztusb/export.h"
#include "ztusb/world/former_namespace.h"
#include "ztusb/host/text.h"

namespace zt::udev {

using host::String;

class ZT_UDEV_API DeviceNames {
public:
    // Reads the names given before; a missing or unreadable file is a fresh start. Without a
    // file (an empty path) the names hold for this run only. The log says which (info).
    explicit DeviceNames(std::filesystem::path stateFile);

    // The device's COM name. A number once given stays the device's, present or not, as in
    // Windows' COM database; the first time, the lowest number nobody holds.
    String ComPort(const std::string& deviceKey);

    // Letters for volumes, in their order, beside those `held` by volumes present apart
    // from them: each keeps its letter unless held or taken by a volume before it in the
    // list; the others get the lowest letter free (D: onwards). Past Z: a volume gets none
    // (empty).
    std::vector<String> DriveLetters(const std::vector<std::string>& volumeKeys, const std::set<char>& held = {});

private:
    void Save() const;

    std::filesystem::path stateFile_;
    std::map<std::string, unsigned> comNumbers_;
    std::map<std::string, char> letters_;
};

// The file $ZT_USB_STATE names, or none where it is "off"; without it
// $XDG_STATE_HOME/ztusbdetector/device-names, or ~/.local/state/ztusbdetector/device-names.
ZT_UDEV_API std::filesystem::path DefaultDeviceNamesFile();

}  // namespace zt::udev
