#pragma once
// A context of the C interface: the detector on its own thread, the world it reads where
// that is a file's, and the device events queued for the host with a signal beside them.

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "ztusb/c/ready_signal.h"
#include "ztusb/c/records.h"
#include "ztusb/devices/detector_thread.h"

namespace zt::testkit {
class TestWorld;
}

struct ztusb_context {
    // On this machine, or on the world the file at worldPath describes.
    explicit ztusb_context(const std::string* worldPath);
    ~ztusb_context();
    ztusb_context(const ztusb_context&) = delete;
    ztusb_context& operator=(const ztusb_context&) = delete;

    zt_usb_detector::TZtUsbDetectorThread& Detector() { return *detector_; }
    // The world's device, plugged in or pulled out on the detector's thread.
    void Change(const std::string& id, bool plug);
    // The oldest event, waited for up to the timeout (negative: without end); null when none.
    std::unique_ptr<zt::c_api::Event> NextEvent(int timeoutMs);
    std::intptr_t Descriptor() const { return ready_.Native(); }

private:
    void Pump();

    zt::testkit::TestWorld* world_ = nullptr;  // owned on the detector's thread
    std::unique_ptr<zt_usb_detector::TZtUsbDetectorThread> detector_;
    std::mutex mutex_;
    std::condition_variable queued_;
    std::deque<std::unique_ptr<zt::c_api::Event>> events_;
    zt::c_api::ReadySignal ready_;
    bool closing_ = false;
    std::thread pump_;
};
