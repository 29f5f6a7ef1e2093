#pragma once
// The device view's records as the C interface's plain structs. Each list, device or event
// owns its strings and arrays in one arena, freed with it.

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "ztusb/detector/zt_usb_detector.h"
#include "ztusb/devices/device_watch.h"
#include "ztusb/devices/usb_device.h"
#include "ztusb/ztusb.h"

namespace zt::c_api {

// Stable storage for what the structs point at.
class Arena {
public:
    const char* Text(std::string text);
    template <typename T>
    const T* Array(std::vector<T> items) {
        if (items.empty()) return nullptr;
        auto owned = std::make_shared<std::vector<T>>(std::move(items));
        arrays_.push_back(owned);
        return owned->data();
    }

private:
    std::deque<std::string> texts_;
    std::vector<std::shared_ptr<void>> arrays_;
};

struct DeviceList : ztusb_device_list {
    Arena arena;
};
struct ComPortList : ztusb_com_port_list {
    Arena arena;
};
struct VolumeList : ztusb_volume_list {
    Arena arena;
};
struct Device : ztusb_device {
    Arena arena;
};
struct Event : ztusb_event {
    Arena arena;
};

ztusb_device DeviceRecord(const devices::UsbDevice& device, Arena& arena);
std::unique_ptr<DeviceList> DeviceListOf(const std::vector<devices::UsbDevice>& devices);
std::unique_ptr<Device> DeviceOf(const devices::UsbDevice& device);
std::unique_ptr<Event> EventOf(const devices::DeviceEvent& event);
// The inventories' records, with what the device records add: a port's path, location and
// interface, a volume's mount point and disk.
std::unique_ptr<ComPortList> ComPortListOf(const std::vector<zt_usb_detector::TZtComInfo>& ports,
                                           const std::vector<devices::UsbDevice>& devices);
std::unique_ptr<VolumeList> VolumeListOf(const std::vector<zt_usb_detector::TZtVolInfo>& volumes,
                                         const std::vector<devices::UsbDevice>& devices);

}  // namespace zt::c_api
