#pragma once
// `ztusbmon record`: the machine as the package sees it, in the recorded form of a world
// file (recording.h). It reads through the package's own ways in, the registry API and
// DoWmiScript, so it records the system on Windows and a simulated world anywhere.

#include "ztusb/testkit/json_reader.h"

namespace ztusbmon {

using zt::testkit::Json;

// The serial-port map and the WMI instances the package's queries reach: PnP entities of
// COM ports and programmers and the USB devices of the same IDs, removable and external
// disk drives with their partitions, logical disks and the two associations.
Json RecordMachine();

}  // namespace ztusbmon
