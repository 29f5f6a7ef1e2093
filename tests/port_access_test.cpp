// What a host needs to reach a port of the inventories: the file to open and the numbers of
// its IDs. One table for both builds: on Windows every port name opens as \\.\COMn; off
// Windows only the ports the map gives a device node (this machine's) have a file.
#include <gtest/gtest.h>

#include <optional>

#include "ztusb/detector/port_path.h"
#include "ztusb/detector/usb_id.h"
#include "ztusb/world/registry.h"
#include "ztusb/win32/windows_names.h"

namespace {

using zt::host::String;
using zt::world::kSerialCommKey;

struct Row {
    String text;
    String mapValueName;  // the serial-port map's value for the text, where it has one
    String emulatedPath;
    String windowsPath;
    std::optional<std::uint16_t> id;
};

const Row kRows[] = {
    {u"COM5", u"/dev/ttyUSB0", u"/dev/ttyUSB0", u"\\\\.\\COM5", {}},
    {u"com6", u"/dev/ttyACM0", u"/dev/ttyACM0", u"\\\\.\\com6", {}},
    {u"COM12", u"\\Device\\VCP0", u"", u"\\\\.\\COM12", {}},  // a simulated port
    {u"COM7", u"", u"", u"\\\\.\\COM7", {}},                   // COM77's node is not COM7's
    {u"COM77", u"/dev/ttyUSB7", u"/dev/ttyUSB7", u"\\\\.\\COM77", {}},
    {u"COM0", u"/dev/ttyS0", u"", u"", {}},
    {u"CNCA0", u"\\Device\\com0com10", u"", u"", {}},
    {u"", u"", u"", u"", {}},
    {u"VID_0403", u"", u"", u"", 0x0403},
    {u"PID_6001", u"", u"", u"", 0x6001},
    {u"vid_1a86", u"", u"", u"", 0x1A86},
    {u"PID_FFFF", u"", u"", u"", 0xFFFF},
    {u"VID_040", u"", u"", u"", {}},
    {u"VID_04031", u"", u"", u"", {}},
    {u"VID_04G3", u"", u"", u"", {}},
    {u"VID_+403", u"", u"", u"", {}},
    {u"VID-0403", u"", u"", u"", {}},
    {u"MI_00", u"", u"", u"", {}},
    {u"VID_", u"", u"", u"", {}},
};

TEST(PortAccess, PathsAndIdNumbersOfEveryRow) {
    const bool emulated = zt::world::RegistryIsSimulated();
    if (emulated) {
        for (const Row& row : kRows) {
            if (!row.mapValueName.empty()) {
                zt::world::SetRegistryValue(zt::world::kSerialCommKey, row.mapValueName, REG_SZ,
                                          zt::world::RegistryText(row.text));
            }
        }
    }
    for (const Row& row : kRows) {
        const std::string text = zt::host::ToUtf8(row.text);
        EXPECT_EQ(zt_usb_detector::PortPath(row.text), emulated ? row.emulatedPath : row.windowsPath) << text;
        EXPECT_EQ(zt_usb_detector::UsbIdNumber(row.text), row.id) << text;
    }
    if (emulated) zt::world::DeleteRegistryKey(zt::world::kSerialCommKey);
}

}  // namespace
