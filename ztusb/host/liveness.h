#pragma once
// Whether an object still lives, for the object's own code that calls out to code which may
// free it (event handlers, message pumps, message boxes, WMI calls that pump): make the call
// through Survives; when it says the object is gone, return at once and touch nothing of it.

#include <memory>
#include <utility>

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

    // Makes a call to code that may free the object, and says whether the object outlived
    // it; nothing of the object is touched once the call has begun.
    template <typename Call>
    [[nodiscard]] bool Survives(Call&& call) const {
        const Watch watch = Observe();
        std::forward<Call>(call)();
        return static_cast<bool>(watch);
    }

private:
    // Gone with the object; the watches' shared count outlives it.
    std::shared_ptr<const char> token_ = std::make_shared<const char>('\0');
};

}  // namespace zt::host
