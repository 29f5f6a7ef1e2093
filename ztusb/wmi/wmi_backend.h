#pragma once
// The platform's own WMI backend: one file per platform.

#include "ztusb/host/ole_error.h"
#include "ztusb/wmi/ZtWmiU.h"

namespace ZtWmiU {

WmiBackend PlatformWmiBackend();
// Told which backend answers from now on: the platform's, or one a host installed.
void BackendChosen(bool platforms);

// Thrown by a backend whose query ran but whose answer could not be read, with the code of
// the call that failed on the way.
class EUnreadableAnswer : public zt::host::EOleSysError {
public:
    using EOleSysError::EOleSysError;
};

}  // namespace ZtWmiU
