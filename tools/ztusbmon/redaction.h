#pragma once
// `ztusbmon record --redact`: a recording that can be shared without saying whose it is.

#include "ztusb/testkit/json_reader.h"

namespace ztusbmon {

using zt::testkit::Json;

// Replaces USB and disk serial numbers wherever they appear (device IDs, interface names,
// properties), volume labels and volume serials, and the machine's name by made-up ones:
// the same text always by the same replacement, so that the devices still match up.
void Redact(Json& recording);

}  // namespace ztusbmon
