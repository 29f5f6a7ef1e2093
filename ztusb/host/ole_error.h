#pragma once
// Failures of COM calls and of the framework's assertions.

#include "ztusb/export.h"
#include "ztusb/host/exception.h"
#include "ztusb/win32/com.h"

namespace zt::host {

class ZT_API EOleSysError : public Exception {
public:
    // The system's text for the code, or "OLE error XXXXXXXX" when it has none.
    explicit EOleSysError(win32::HRESULT code);
    win32::HRESULT ErrorCode() const { return code_; }

private:
    win32::HRESULT code_;
};

// Raises EOleSysError for a failure code; lets success codes through.
inline void OleCheck(win32::HRESULT code) {
    if (FAILED(code)) throw EOleSysError(code);
}

class ZT_API EAssertionFailed : public Exception {
public:
    // what() reads "message (source)".
    EAssertionFailed(const String& message, const String& source);
    const String& Message() const { return message_; }
    const String& Source() const { return source_; }

private:
    String message_;
    String source_;
};

}  // namespace zt::host
