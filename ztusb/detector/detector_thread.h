#pragma once
// The detector's thread now lives with the device view (it hands over device events too);
// this path is kept for the hosts that include it here.
#include "ztusb/devices/detector_thread.h"
