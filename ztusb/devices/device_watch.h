#pragma once
// USB devices as they come and go, whole: one arrival per device once its faces have settled
// (its ports named, its volumes mounted, or a hold passed), one removal with the faces it had,
// and a change when a face comes or goes later (a card inserted in a reader, a volume mounted
// after its disk). Heard on the calling thread's message loop; the component's own events
// stay as they are.
//
// Settling: the devices are read again once broadcasts have been quiet for a quarter of a
// second; a new device one of whose disks has no volume yet is held back for up to three
// seconds (an empty card-reader slot stays empty), and then announced as it is.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ztusb/devices/usb_device.h"
#include "ztusb/export.h"

namespace zt::devices {

struct DeviceEvent {
    enum class Kind { Arrival, Removal, Change };
    Kind kind = Kind::Arrival;
    UsbDevice device;  // as it is now; for a removal, as it was
};

class ZT_API DeviceWatch {
public:
    using Handler = std::function<void(const DeviceEvent& event)>;

    // Reads the devices present (they raise no arrival) and listens from now on.
    explicit DeviceWatch(Handler handler = {});
    ~DeviceWatch();
    DeviceWatch(const DeviceWatch&) = delete;
    DeviceWatch& operator=(const DeviceWatch&) = delete;

    // The devices announced so far and not gone.
    const std::vector<UsbDevice>& Devices() const;

    struct State;

private:
    std::unique_ptr<State> state_;
};

// What a wait looks for: every criterion given must hold. Among several devices that match,
// `index` picks one in location order (0: the first).
struct DeviceMatch {
    std::optional<std::uint16_t> vendorId;
    std::optional<std::uint16_t> productId;
    std::optional<std::string> serial;
    std::optional<std::string> location;
    std::function<bool(const UsbDevice&)> predicate;
    std::size_t index = 0;

    bool Matches(const UsbDevice& device) const;
    std::optional<UsbDevice> FirstIn(const std::vector<UsbDevice>& devices) const;
};

// Waits until a matching device is attached, its faces settled, and returns its record; at
// once when one is already there. Nothing when the timeout passes. From any thread: on a
// thread whose loop a DeviceWatch (a detector's thread, a host's loop) serves, it waits for
// that loop's readings; otherwise it runs the calling thread's message loop itself meanwhile.
ZT_API std::optional<UsbDevice> WaitFor(const DeviceMatch& match, std::chrono::milliseconds timeout);

}  // namespace zt::devices
