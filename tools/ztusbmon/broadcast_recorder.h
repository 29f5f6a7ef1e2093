#pragma once
// `ztusbmon record --watch`: the broadcasts the machine sends, each with the time since the
// one before and the instances and registry values that came or went with it.

#include <chrono>
#include <vector>

#include "ztusb/host/window_binding.h"
#include "ztusb/testkit/json_reader.h"

namespace ztusbmon {

using zt::testkit::Json;

class BroadcastRecorder {
public:
    // Listens on a hidden window of this thread, device interfaces of USB devices included;
    // the snapshot is the machine as recorded before the first broadcast.
    explicit BroadcastRecorder(Json snapshot);
    ~BroadcastRecorder();
    BroadcastRecorder(const BroadcastRecorder&) = delete;
    BroadcastRecorder& operator=(const BroadcastRecorder&) = delete;

    // Records the broadcasts received since the last call, the first with what changed
    // since. The recorder calls it itself from the message loop after the broadcasts of a
    // turn, which a system sends without waking the loop; call it once more after the loop
    // for those that came with its end.
    void Collect();

    const Json& Broadcasts() const { return broadcasts_; }

private:
    struct Received {
        std::chrono::steady_clock::time_point at;
        Json broadcast;  // event and record
    };
    void OnMessage(zt::host::TMessage& message);

    Json snapshot_;
    Json broadcasts_ = Json::array();
    std::vector<Received> received_;
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
    zt::win32::HWND window_ = nullptr;
    zt::win32::HDEVNOTIFY notification_ = nullptr;
};

// What came and went between two recordings of the machine: {"came": {...}, "went": {...}}
// as a recorded broadcast carries them. An instance whose properties changed went and came.
Json Changes(const Json& before, const Json& after);

}  // namespace ztusbmon
