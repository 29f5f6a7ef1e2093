#pragma once
// TZtUsbDetector on a thread of its own, for hosts without a message loop: console tools,
// services, test runners, daemons, bindings for other languages. The thread creates the
// component (with its hidden window), runs its message loop, and destroys it when stopped;
// the host's own threads are never touched.
//
// Events: the handlers a host assigns in its setup are called on the component's thread
// (the component's own five events, as documented in zt_usb_detector.h). An event left
// without a handler is queued as a value instead; WaitEvent takes it from any thread. The
// devices' own events (zt::devices::DeviceWatch: an arrival once a device's faces settled,
// its removal, a change of its faces) are queued apart: WaitDeviceEvent.
//
// Inquiries: asked from any thread, run on the component's thread between its messages, and
// their results returned. Asked from a handler (on the component's thread), they run at once.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "ztusb/detector/zt_usb_detector.h"
#include "ztusb/devices/device_watch.h"

namespace zt_usb_detector {

// One of the component's events, as a value.
struct TZtDetectorEvent {
    enum class TKind { ComDetect, VolumeDetect, UsbDetect, NewComInfo, NewVolInfo };
    TKind Kind = TKind::ComDetect;
    String Name;  // the port (COM5), the volume's letter, or the USB device's name
    String Vid;   // UsbDetect: e.g. VID_0403
    String Pid;   // UsbDetect: e.g. PID_6001
    std::int32_t InOut = 0;            // the detect events: 1 for an arrival, 0 for a removal
    std::vector<TZtComInfo> ComInfo;   // NewComInfo: the records the inquiry found
    std::vector<TZtVolInfo> VolInfo;   // NewVolInfo: the records the inquiry found
};

class ZT_API TZtUsbDetectorThread {
public:
    // Runs on the component's thread once the component exists and before its loop starts:
    // assign handlers there, and install the world the component reads where it is not the
    // system's (a zt::devices::WorldInUse of a workstation; on Windows initialise COM for the
    // WMI inquiries; on Linux this machine's devices are read without setup). What it returns
    // lives as long as the component and is released on that thread after it.
    using TSetup = std::function<std::shared_ptr<void>(TZtUsbDetector& Detector)>;

    // Returns once the setup has run on the new thread; a failure there is thrown here.
    explicit TZtUsbDetectorThread(TSetup Setup = nullptr);
    // Stops (see Stop). Destroyed from a handler, it does not wait: the thread ends by
    // itself once the handler returns.
    ~TZtUsbDetectorThread();
    TZtUsbDetectorThread(const TZtUsbDetectorThread&) = delete;
    TZtUsbDetectorThread& operator=(const TZtUsbDetectorThread&) = delete;

    // Ends the loop, destroys the component and the setup's world on their thread, and waits
    // for the thread to end. Inquiries already asked (one may be running) are answered first;
    // any asked later throw std::runtime_error. Called from a handler, it
    // only asks: the loop ends once the message in hand is done (its remaining events still
    // reach the handlers; none reach the queue), and the call returns at once.
    void Stop();

    // The oldest queued event, waiting up to the timeout; none when the time passed or the
    // thread has stopped and nothing is left. Not from a handler: the events come from the
    // thread that handler holds up.
    std::optional<TZtDetectorEvent> WaitEvent(std::chrono::milliseconds Timeout);
    // The oldest device event, the same way.
    std::optional<zt::devices::DeviceEvent> WaitDeviceEvent(std::chrono::milliseconds Timeout);

    // The component's inquiries, with its results (TZtUsbDetector's fields) returned.
    void GetAvailableComPorts(TStringList& Ports, bool WithNames);
    std::vector<TZtComInfo> GetAvailableComPortsEx();
    std::vector<TZtVolInfo> GetAvailableVolumens();
    // Raises OnUsbDetect (a handler's call, or a queued event) when a USBasp is attached.
    void CheckUSBasp();
    // Runs a task of the host's on the component's thread, as the inquiries run (a simulated
    // world's device plugged in, an inquiry of its own), and returns once it ran; what it
    // throws is thrown here.
    void Call(std::function<void(TZtUsbDetector& Detector)> Task);

    // The USB devices with their faces, as the thread's world has them.
    std::vector<zt::devices::UsbDevice> UsbDevices();
    // A matching device, at once when it is there, or once it arrived; nothing after the
    // timeout (zt::devices::WaitFor, served by this thread's readings).
    std::optional<zt::devices::UsbDevice> WaitDevice(const zt::devices::DeviceMatch& Match,
                                                     std::chrono::milliseconds Timeout);

private:
    struct TState;
    template <typename Result>
    Result Ask(std::function<Result(TZtUsbDetector&)> inquiry);

    std::shared_ptr<TState> FState;
};

}  // namespace zt_usb_detector
