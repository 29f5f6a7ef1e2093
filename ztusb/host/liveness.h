#pragma once
// Whether an object still lives, for the object's own code that calls out to code which may
// free it (event handlers, message pumps, message boxes, WMI calls that pump): make the call
// through CallOut; when it says the object is gone, return at once and touch nothing of it.

#include <functional>
#include <memory>
#include <utility>

#include "ztusb/export.h"

namespace zt::host {

class Liveness {
public:
    class Watch {
    public:
        explicit operator bool() const { return !token_.expired(); }

        // Makes the call while the object lives, and says whether it outlived the call. The
        // call runs from a copy, since it may free the object and whatever the object holds,
        // the handler being called among them.
        template <typename Call, typename... Args>
        [[nodiscard]] bool CallOut(Call call, Args&&... args) const {
            if (!*this) return false;
            std::invoke(call, std::forward<Args>(args)...);
            return static_cast<bool>(*this);
        }

    private:
        friend class Liveness;
        explicit Watch(std::weak_ptr<const char> token) : token_(std::move(token)) {}
        std::weak_ptr<const char> token_;
    };

    Liveness() = default;
    Liveness(const Liveness&) = delete;
    Liveness& operator=(const Liveness&) = delete;

    // For work that goes on past one call, such as a walk of many WMI queries.
    Watch Observe() const { return Watch(token_); }

    template <typename Call, typename... Args>
    [[nodiscard]] bool CallOut(Call call, Args&&... args) const {
        return Observe().CallOut(std::move(call), std::forward<Args>(args)...);
    }

private:
    // Gone with the object; the watches' shared count outlives it.
    std::shared_ptr<const char> token_ = std::make_shared<const char>('\0');
};

}  // namespace zt::host
