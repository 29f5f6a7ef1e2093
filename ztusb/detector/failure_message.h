#pragma once
// The component's numbered failure texts ("Debug ERR #177"), shown as they always were, with
// what failed beside them in the package's log.

#include <string>
#include <string_view>

#include "ztusb/host/text.h"

namespace zt_usb_detector {

// Inside a catch block: the failure being handled, in words.
std::string CurrentFailure();

// Inside a catch block: the cause is the failure being handled.
void ShowFailureMessage(const zt::host::String& text);
// Otherwise: what went wrong, and with which device text.
void ShowFailureMessage(const zt::host::String& text, std::string_view cause, std::u16string_view subject);

}  // namespace zt_usb_detector
