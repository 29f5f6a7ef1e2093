#include "ztusb/testkit/umockdev_bed.h"

#include <umockdev.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace zt::testkit {
namespace {

struct DeviceText {
    std::string path;  // "/devices/...", as its "P:" line gives it
    std::string text;  // its lines, "P:" first
};

// The devices of a umockdev-record file, in its order: each device before its parents.
std::vector<DeviceText> ReadDevices(const std::filesystem::path& file) {
    std::ifstream in(file);
    if (!in) throw std::runtime_error(file.string() + ": cannot be read");
    std::vector<DeviceText> devices;
    for (std::string line; std::getline(in, line);) {
        if (line.empty()) continue;
        if (line.starts_with("P: ")) {
            devices.push_back({line.substr(3), {}});
        } else if (devices.empty()) {
            throw std::runtime_error(file.string() + ": expected a device's \"P: /devices/...\" line first");
        }
        devices.back().text += line + "\n";
    }
    return devices;
}

// umockdev's own umockdev_in_mock_environment() answers no even there.
bool UnderUmockdev() {
    const char* preload = std::getenv("LD_PRELOAD");
    return preload != nullptr && std::strstr(preload, "umockdev-preload") != nullptr;
}

std::size_t Depth(const std::string& path) { return static_cast<std::size_t>(std::count(path.begin(), path.end(), '/')); }

}  // namespace

UmockdevBed::UmockdevBed() {
    if (!UnderUmockdev()) {
        throw std::runtime_error("a umockdev testbed needs the process run under umockdev-wrapper");
    }
    testbed_ = umockdev_testbed_new();
    gchar* sys = umockdev_testbed_get_sys_dir(testbed_);
    sysDir_ = sys;
    g_free(sys);
}

UmockdevBed::~UmockdevBed() { g_object_unref(testbed_); }

// One device at a time, so that umockdev writes it whole before its event; umockdev's own
// reading of a file sends each event as it meets the device, the tty before its USB device.
void UmockdevBed::Plug(const std::filesystem::path& description) {
    std::vector<DeviceText> devices = ReadDevices(description);
    const auto [entry, fresh] = plugged_.try_emplace(description);
    if (!fresh) throw std::runtime_error(description.string() + ": plugged in already");
    std::stable_sort(devices.begin(), devices.end(),
                     [](const DeviceText& a, const DeviceText& b) { return Depth(a.path) < Depth(b.path); });
    std::vector<std::string>& added = entry->second;
    for (const DeviceText& device : devices) {
        if (std::filesystem::exists(sysDir_ + device.path)) continue;
        GError* error = nullptr;
        if (!umockdev_testbed_add_from_string(testbed_, device.text.c_str(), &error)) {
            const std::string message = error != nullptr ? error->message : "refused";
            if (error != nullptr) g_error_free(error);
            throw std::runtime_error(description.string() + ": " + device.path + ": " + message);
        }
        added.push_back("/sys" + device.path);
    }
}

// umockdev sends an event only for a device that is there, and removes a device with all
// below it: each goes after its event, the deepest first (Plug kept them parents first).
void UmockdevBed::Unplug(const std::filesystem::path& description) {
    const auto plugged = plugged_.find(description);
    if (plugged == plugged_.end()) throw std::invalid_argument(description.string() + ": not plugged in");
    std::vector<std::string> devices = std::move(plugged->second);
    plugged_.erase(plugged);
    for (auto device = devices.rbegin(); device != devices.rend(); ++device) {
        umockdev_testbed_uevent(testbed_, device->c_str(), "remove");
        umockdev_testbed_remove_device(testbed_, device->c_str());
    }
}

}  // namespace zt::testkit
