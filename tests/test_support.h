#pragma once
// Shared fixtures: capture the boxes the package would show, record events as text, and
// watch the request road.

#include <string>
#include <vector>

#include "ztusb/detector/zt_usb_detector.h"
#include "ztusb/host/application.h"
#include "ztusb/host/dialogs.h"
#include "ztusb/host/log.h"
#include "ztusb/world/broadcast.h"
#include "ztusb/wmi/ZtWmiU.h"
#include "ztusb/win32/windows_names.h"

namespace zt::testing {

using zt_usb_detector::TZtUsbDetector;

// A string list's entries, for comparing whole lists in one assertion.
inline std::vector<host::String> Entries(const host::TStringList& list) {
    std::vector<host::String> entries;
    for (int i = 0; i < list.Count(); ++i) entries.push_back(list[i]);
    return entries;
}

// Captures message boxes and failures handed to the host, and restores the hooks after.
class DialogRecorder {
public:
    DialogRecorder()
        : previousMessage_(host::SetShowMessageHandler(
              [this](const host::String& text) { messages.push_back(host::ToUtf8(text)); })),
          previousException_(host::SetExceptionHandler(
              [this](host::TObject*, std::exception_ptr failure) { failures.push_back(failure); })),
          previousDialog_(host::SetMessageDlgHandler(
              [this](const host::String& text, host::TMsgDlgType type, host::TMsgDlgButtons buttons,
                     int helpContext) {
                  const bool errorWithOk = type == host::TMsgDlgType::mtError &&
                                           buttons == host::mbOK && helpContext == 0;
                  errors.push_back(errorWithOk ? host::ToUtf8(text) : "unexpected dialog kind");
                  return host::mrOk;
              })) {}
    ~DialogRecorder() {
        host::SetShowMessageHandler(previousMessage_);
        host::SetExceptionHandler(previousException_);
        host::SetMessageDlgHandler(previousDialog_);
    }
    DialogRecorder(const DialogRecorder&) = delete;
    DialogRecorder& operator=(const DialogRecorder&) = delete;

    std::vector<std::string> messages;
    std::vector<std::exception_ptr> failures;
    std::vector<std::string> errors;  // error dialogs (MessageDlg)

private:
    host::ShowMessageHandler previousMessage_;
    host::ExceptionHandler previousException_;
    host::MessageDlgHandler previousDialog_;
};

// Logs every detect and info event of a detector as one line of text.
inline void RecordEvents(TZtUsbDetector& detector, std::vector<std::string>& log) {
    using host::ToUtf8;
    detector.OnComDetect = [&log](host::TObject*, const host::String& port, std::int32_t inout) {
        log.push_back("com " + ToUtf8(port) + " " + std::to_string(inout));
    };
    detector.OnVolumeDetect = [&log](host::TObject*, const host::String& volume,
                                     std::int32_t inout) {
        log.push_back("volume " + ToUtf8(volume) + " " + std::to_string(inout));
    };
    detector.OnUsbDetect = [&log](host::TObject*, const host::String& name,
                                  const host::String& vid, const host::String& pid,
                                  std::int32_t inout) {
        log.push_back("usb " + ToUtf8(name) + " " + ToUtf8(vid) + " " + ToUtf8(pid) + " " +
                      std::to_string(inout));
    };
}

// Dispatches the calling thread's queue and returns the request texts it delivered, in order.
inline std::vector<std::string> PumpRequests() {
    std::vector<std::string> texts;
    win32::MSG message{};
    while (win32::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        // A request for a window that is gone was freed with its component: not read.
        if (message.message == zt_usb_detector::WM_DETECTOR_REQUEST &&
            message.wParam != 0 && win32::IsWindow(message.hwnd)) {
            texts.emplace_back(reinterpret_cast<const char*>(message.wParam));
        }
        win32::DispatchMessageW(&message);
    }
    return texts;
}

// The calling thread's hidden windows made by AllocateHWnd (the system may add its own).
inline std::vector<win32::HWND> BoundWindows() {
    std::vector<win32::HWND> windows;
    win32::EnumThreadWindows(
        win32::GetCurrentThreadId(),
        [](win32::HWND window, win32::LPARAM found) -> win32::BOOL {
            win32::WCHAR name[32] = {};
            const std::u16string expected = u"TZtUtilWindow";
            const int length = win32::GetClassNameW(window, name, 32);
            if (std::u16string(name, name + length) == expected) {
                reinterpret_cast<std::vector<win32::HWND>*>(found)->push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<win32::LPARAM>(&windows));
    return windows;
}

inline void Broadcast(std::uint32_t event, const world::Record& record) {
    world::BroadcastDeviceChange(event, record);
}

inline world::Record UsbInterface(const std::u16string& name) {
    return world::DeviceInterfaceRecord(name, zt_usb_detector::GUID_DEVINTERFACE_USB_DEVICE);
}

}  // namespace zt::testing

namespace zt::testing {

// Keeps "area: text" of every record for the life of the object.
class LogRecorder {
public:
    explicit LogRecorder(host::LogLevel level = host::LogLevel::Debug)
        : previous_(host::SetLogHandler([this](const host::LogRecord& r) { lines.push_back(Line(r)); }, level)) {}
    ~LogRecorder() { host::SetLogHandler(previous_); }
    LogRecorder(const LogRecorder&) = delete;
    LogRecorder& operator=(const LogRecorder&) = delete;

    static std::string Line(const host::LogRecord& r) { return std::string(r.area) + ": " + std::string(r.text); }
    std::vector<std::string> In(std::string_view area) const {
        std::vector<std::string> found;
        for (const std::string& line : lines) {
            if (line.starts_with(std::string(area) + ": ")) found.push_back(line);
        }
        return found;
    }

    std::vector<std::string> lines;

private:
    host::LogHandler previous_;
};

// Serves WMI from a backend for the life of the object, then restores the previous one.
class WmiServed {
public:
    explicit WmiServed(std::function<std::optional<std::vector<host::String>>(const host::String&)> backend)
        : previous_(ZtWmiU::SetWmiBackend(std::move(backend))) {}
    ~WmiServed() { ZtWmiU::SetWmiBackend(previous_); }
    WmiServed(const WmiServed&) = delete;
    WmiServed& operator=(const WmiServed&) = delete;

private:
    ZtWmiU::WmiBackend previous_;
};

// A backend that answers every query with the same object texts.
inline ZtWmiU::WmiBackend FixedObjects(std::vector<host::String> texts) {
    return [texts](const host::String&) { return std::optional(texts); };
}

}  // namespace zt::testing
