#pragma once
// The framework's failure type: a message in UTF-16, readable through what() as UTF-8.

#include <stdexcept>

#include "ztusb/host/text.h"

namespace zt::host {

class Exception : public std::runtime_error {
public:
    explicit Exception(const String& message) : std::runtime_error(ToUtf8(message)) {}
};

class EStringListError : public Exception {
    using Exception::Exception;
};

}  // namespace zt::host
