#include "ztusb/detector/failure_message.h"

#include <exception>

#include "ztusb/host/dialogs.h"
#include "ztusb/host/log_line.h"

namespace zt_usb_detector {

std::string CurrentFailure() {
    try {
        if (const std::exception_ptr failure = std::current_exception()) std::rethrow_exception(failure);
    } catch (const std::exception& failure) {
        return failure.what();
    } catch (...) {
        return "a failure that is no exception";
    }
    return "no failure is being handled";
}

void ShowFailureMessage(const zt::host::String& text) {
    ZT_LOG(Error, "message") << text << ": " << CurrentFailure();
    zt::host::ShowMessage(text);
}

void ShowFailureMessage(const zt::host::String& text, std::string_view cause, std::u16string_view subject) {
    ZT_LOG(Error, "message") << text << ": " << cause << ": " << subject;
    zt::host::ShowMessage(text);
}

}  // namespace zt_usb_detector
