#pragma once
// Whether an object still lives, for the object's own code that calls out to code which may
// free it (event handlers, message pumps, message boxes): take a watch before the call;
// when the watch says the object is gone, return at once and touch nothing of it.

#include <memory>

#include "ztusb/export.h"

namespace zt::host {

class ZT_API Liveness {
public:
    class Watch {
    public:
        explicit operator bool() const { return !token_.expired(); }

    private:
        friend class Liveness;
        explicit Watch(std::weak_ptr<const char> token) : token_(std::move(token)) {}
        std::weak_ptr<const char> token_;
    };

    Liveness() = default;
    Liveness(const Liveness&) = delete;
    Liveness& operator=(const Liveness&) = delete;

    Watch Observe() const { return Watch(token_); }

private:
    // Gone with the object; the watches' shared count outlives it.
    std::shared_ptr<const char> token_ = std::make_shared<const char>('\0');
};

}  // namespace zt::host
