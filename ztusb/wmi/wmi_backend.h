#pragma once
// The platform's own WMI backend: one file per platform.

#include "ztusb/wmi/ZtWmiU.h"

namespace ZtWmiU {

WmiBackend PlatformWmiBackend();

}  // namespace ZtWmiU
