// The C interface's calls: each checks its arguments, runs guarded, and hands over records
// the caller frees with the matching call.
#include <chrono>
#include <string>

#include "ztusb/c/context.h"
#include "ztusb/c/last_error.h"
#include "ztusb/c/records.h"
#include "ztusb/ztusb.h"

namespace {

using zt::c_api::Failure;
using zt::c_api::Guarded;

void Require(const void* argument, const char* what) {
    if (argument == nullptr) throw Failure{ZTUSB_ERROR_INVALID_PARAM, std::string(what) + " is NULL"};
}

// Hands an owned record to the caller as its public part.
template <typename Public, typename Owned>
void HandOver(std::unique_ptr<Owned> owned, Public** out) {
    *out = owned.release();
}

// On this machine, or on the world of the file at `path`.
int Open(bool onWorld, const char* path, ztusb_context** context) {
    return Guarded([&] {
        Require(context, "context");
        *context = nullptr;
        if (onWorld) Require(path, "path");
        const std::string worldPath = onWorld ? path : "";
        *context = new ztusb_context(onWorld ? &worldPath : nullptr);
        return ZTUSB_SUCCESS;
    });
}

int Change(ztusb_context* context, const char* id, bool plug) {
    return Guarded([&] {
        Require(context, "context");
        Require(id, "id");
        context->Change(id, plug);
        return ZTUSB_SUCCESS;
    });
}

std::chrono::milliseconds WaitOf(std::int32_t timeoutMs) {
    // Without end: a year at a time is still within what the clocks add.
    return timeoutMs < 0 ? std::chrono::hours(24 * 365) : std::chrono::milliseconds(timeoutMs);
}

zt::devices::DeviceMatch MatchOf(const ztusb_match& match) {
    zt::devices::DeviceMatch wanted;
    const auto id = [](std::int32_t value, const char* what) -> std::optional<std::uint16_t> {
        if (value < 0) return std::nullopt;
        if (value > 0xFFFF) throw Failure{ZTUSB_ERROR_INVALID_PARAM, std::string(what) + " is more than 16 bits"};
        return static_cast<std::uint16_t>(value);
    };
    wanted.vendorId = id(match.vendor_id, "vendor_id");
    wanted.productId = id(match.product_id, "product_id");
    if (match.serial != nullptr) wanted.serial = match.serial;
    if (match.location != nullptr) wanted.location = match.location;
    wanted.index = match.index;
    return wanted;
}

}  // namespace

extern "C" {

const char* ztusb_version(void) { return ZTUSB_VERSION_TEXT; }

int ztusb_open(ztusb_context** context) { return Open(false, nullptr, context); }

int ztusb_open_world(const char* path, ztusb_context** context) { return Open(true, path, context); }

void ztusb_close(ztusb_context* context) { delete context; }

int ztusb_world_plug(ztusb_context* context, const char* id) { return Change(context, id, true); }

int ztusb_world_unplug(ztusb_context* context, const char* id) { return Change(context, id, false); }

int ztusb_devices(ztusb_context* context, ztusb_device_list** list) {
    return Guarded([&] {
        Require(context, "context");
        Require(list, "list");
        HandOver(zt::c_api::DeviceListOf(context->Detector().UsbDevices()), list);
        return ZTUSB_SUCCESS;
    });
}

void ztusb_free_device_list(ztusb_device_list* list) { delete static_cast<zt::c_api::DeviceList*>(list); }

int ztusb_com_ports(ztusb_context* context, ztusb_com_port_list** list) {
    return Guarded([&] {
        Require(context, "context");
        Require(list, "list");
        auto& detector = context->Detector();
        const auto ports = detector.GetAvailableComPortsEx();
        HandOver(zt::c_api::ComPortListOf(ports, detector.UsbDevices()), list);
        return ZTUSB_SUCCESS;
    });
}

void ztusb_free_com_port_list(ztusb_com_port_list* list) { delete static_cast<zt::c_api::ComPortList*>(list); }

int ztusb_volumes(ztusb_context* context, ztusb_volume_list** list) {
    return Guarded([&] {
        Require(context, "context");
        Require(list, "list");
        auto& detector = context->Detector();
        const auto volumes = detector.GetAvailableVolumens();
        HandOver(zt::c_api::VolumeListOf(volumes, detector.UsbDevices()), list);
        return ZTUSB_SUCCESS;
    });
}

void ztusb_free_volume_list(ztusb_volume_list* list) { delete static_cast<zt::c_api::VolumeList*>(list); }

int ztusb_wait_for(ztusb_context* context, const ztusb_match* match, std::int32_t timeout_ms, ztusb_device** device) {
    return Guarded([&] {
        Require(context, "context");
        Require(match, "match");
        Require(device, "device");
        *device = nullptr;
        const auto found = context->Detector().WaitDevice(MatchOf(*match), WaitOf(timeout_ms));
        if (!found) throw Failure{ZTUSB_ERROR_TIMEOUT, "no matching device within " + std::to_string(timeout_ms) + " ms"};
        HandOver(zt::c_api::DeviceOf(*found), device);
        return ZTUSB_SUCCESS;
    });
}

void ztusb_free_device(ztusb_device* device) { delete static_cast<zt::c_api::Device*>(device); }

int ztusb_next_event(ztusb_context* context, std::int32_t timeout_ms, ztusb_event** event) {
    return Guarded([&] {
        Require(context, "context");
        Require(event, "event");
        *event = nullptr;
        auto next = context->NextEvent(timeout_ms);
        if (!next) throw Failure{ZTUSB_ERROR_TIMEOUT, "no event within " + std::to_string(timeout_ms) + " ms"};
        HandOver(std::move(next), event);
        return ZTUSB_SUCCESS;
    });
}

void ztusb_free_event(ztusb_event* event) { delete static_cast<zt::c_api::Event*>(event); }

intptr_t ztusb_event_descriptor(ztusb_context* context) { return context == nullptr ? -1 : context->Descriptor(); }

}  // extern "C"
