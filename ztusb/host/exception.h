#pragma once
// The framework's failure type: a message in UTF-16, readable through what() as UTF-8.

#include <stdexcept>

#include "ztusb/export.h"
#include "ztusb/host/text.h"

namespace zt::host {

class ZT_API Exception : public std::runtime_error {
public:
    explicit Exception(const String& message) : std::runtime_error(ToUtf8(message)) {}
};

class ZT_API EStringListError : public Exception {
    using Exception::Exception;
};

}  // namespace zt::host
