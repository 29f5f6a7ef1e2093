#pragma once
// The D2XX library's entries of the FTDI chips among the devices: each entry on the chip
// whose serial it carries (the channel letter after it on a multi-channel chip).

#include <vector>

#include "ztusb/devices/usb_device.h"

namespace zt::devices {

// Asks the library only when an FTDI chip is attached; a missing library gives no entries.
// An entry whose serial two chips could own (cloned EEPROMs) goes on neither.
void AttachD2xxEntries(std::vector<UsbDevice>& devices);

}  // namespace zt::devices
