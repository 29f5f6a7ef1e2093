#include "ztusb/c/context.h"

#include <chrono>
#include <fstream>

#include "ztusb/c/last_error.h"
#include "ztusb/devices/this_machine.h"
#include "ztusb/devices/world_in_use.h"
#include "ztusb/testkit/test_world.h"
#include "ztusb/ztusb.h"

namespace {

using zt_usb_detector::TZtUsbDetector;
using zt_usb_detector::TZtUsbDetectorThread;

// A world file's workstation, as every inquiry of the process asks it.
struct WorldOnThread {
    explicit WorldOnThread(const std::string& path) : world(zt::testkit::TestWorld::Load(path)), inUse(world.Station()) {}
    zt::testkit::TestWorld world;
    zt::devices::WorldInUse inUse;
};

// The world is the process's: one file's at a time, and no context on this machine beside it.
class WorldClaims {
public:
    void Claim(bool world) {
        std::lock_guard lock(mutex_);
        if (worldOpen_ || (world && contexts_ > 0)) {
            throw zt::c_api::Failure{ZTUSB_ERROR_BUSY,
                                     "a world is the process's: close the other contexts before opening one on a world, "
                                     "and the context on a world before opening another"};
        }
        ++contexts_;
        worldOpen_ = world;
    }
    void Release() {
        std::lock_guard lock(mutex_);
        --contexts_;
        worldOpen_ = false;
    }

private:
    std::mutex mutex_;
    int contexts_ = 0;
    bool worldOpen_ = false;
};

WorldClaims& Claims() {
    static WorldClaims claims;
    return claims;
}

void CheckReadable(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw zt::c_api::Failure{ZTUSB_ERROR_IO, "cannot read " + path};
}

// The component's own events have no reader here: left unhandled they would queue up.
void Unhandled(TZtUsbDetector& detector) {
    detector.OnComDetect = nullptr;
    detector.OnVolumeDetect = nullptr;
    detector.OnUsbDetect = nullptr;
    detector.OnNewComInfo = nullptr;
    detector.OnNewVolInfo = nullptr;
}

// Longer waits are made of these: a day is within what the clocks add without overflow.
constexpr std::chrono::hours kLongestWait{24};

}  // namespace

ztusb_context::ztusb_context(const std::string* worldPath) {
    if (worldPath != nullptr) CheckReadable(*worldPath);
    Claims().Claim(worldPath != nullptr);
    try {
        detector_ = std::make_unique<TZtUsbDetectorThread>([&](TZtUsbDetector& detector) -> std::shared_ptr<void> {
            Unhandled(detector);
            if (worldPath == nullptr) return zt::devices::UseThisMachine();
            auto world = std::make_shared<WorldOnThread>(*worldPath);
            world_ = &world->world;
            return world;
        });
        pump_ = std::thread([this] { Pump(); });
    } catch (...) {
        detector_.reset();
        Claims().Release();
        throw;
    }
}

ztusb_context::~ztusb_context() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    queued_.notify_all();
    detector_->Stop();
    pump_.join();
    detector_.reset();
    Claims().Release();
}

// Moves the detector's device events to this queue, raising the signal.
void ztusb_context::Pump() {
    for (;;) {
        auto event = detector_->WaitDeviceEvent(kLongestWait);
        std::lock_guard lock(mutex_);
        if (closing_) return;
        if (!event) continue;
        events_.push_back(zt::c_api::EventOf(*event));
        ready_.Raise();
        queued_.notify_all();
    }
}

std::unique_ptr<zt::c_api::Event> ztusb_context::NextEvent(int timeoutMs) {
    std::unique_lock lock(mutex_);
    const auto ready = [this] { return !events_.empty() || closing_; };
    if (timeoutMs < 0) {
        while (!queued_.wait_for(lock, kLongestWait, ready)) {
        }
    } else {
        queued_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    }
    if (events_.empty()) return nullptr;
    auto event = std::move(events_.front());
    events_.pop_front();
    if (events_.empty()) ready_.Lower();
    return event;
}

void ztusb_context::Change(const std::string& id, bool plug) {
    if (world_ == nullptr) throw zt::c_api::Failure{ZTUSB_ERROR_INVALID_PARAM, "this context reads no world file"};
    detector_->Call([&](TZtUsbDetector&) {
        try {
            plug ? world_->Plug(id) : world_->Unplug(id);
        } catch (const std::exception& e) {
            throw zt::c_api::Failure{ZTUSB_ERROR_INVALID_PARAM, e.what()};
        }
    });
}
