#include "ztusb/host/ole_error.h"

#include <cstdio>

namespace zt::host {
namespace {

String SystemText(win32::HRESULT code) {
    String text = win32::ComErrorText(code);
    if (!text.empty()) return text;
    char number[16];
    std::snprintf(number, sizeof number, "%.8X", static_cast<unsigned>(code));
    return u"OLE error " + FromUtf8(number);
}

}  // namespace

EOleSysError::EOleSysError(win32::HRESULT code) : Exception(SystemText(code)), code_(code) {}

EAssertionFailed::EAssertionFailed(const String& message, const String& source)
    : Exception(message + u" (" + source + u")"), message_(message), source_(source) {}

}  // namespace zt::host
