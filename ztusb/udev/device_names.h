#pragma once
// COM numbers and drive letters given the way Windows gives them: a device keeps its number
// and a volume its letter across plugs and restarts; a new one gets the lowest free. Kept in
// a small state file.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "ztusb/export.h"
#include "ztusb/host/text.h"

namespace zt::sim {

using host::String;

class ZT_UDEV_API DeviceNames {
public:
    // Reads the names given before; a missing or unreadable file is a fresh start.
    explicit DeviceNames(std::filesystem::path stateFile);

    // The device's COM name. A number once given stays the device's, present or not, as in
    // Windows' COM database; the first time, the lowest number nobody holds.
    String ComPort(const std::string& deviceKey);

    // Letters for the volumes present now, in their order: each keeps its letter unless a
    // volume before it in the list took it; the others get the lowest letter free among
    // them (D: onwards). Past Z: a volume gets none (empty).
    std::vector<String> DriveLetters(const std::vector<std::string>& volumeKeys);

private:
    void Save() const;

    std::filesystem::path stateFile_;
    std::map<std::string, unsigned> comNumbers_;
    std::map<std::string, char> letters_;
};

// $XDG_STATE_HOME/ztusbdetector/device-names, or ~/.local/state/... without it.
ZT_UDEV_API std::filesystem::path DefaultDeviceNamesFile();

}  // namespace zt::sim
