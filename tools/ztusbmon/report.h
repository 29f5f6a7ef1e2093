#pragma once
// What the monitor prints: readable tables and lines, or one JSON object per line.

#include <cstdio>
#include <string>
#include <vector>

#include "ztusb/d2xx/D2XXUnit_ZT.h"
#include "ztusb/detector/zt_usb_detector.h"
#include "ztusb/devices/usb_device.h"

namespace ztusbmon {

class Report {
public:
    Report(std::FILE* out, bool json) : out_(out), json_(json) {}

    void Ports(const zt::host::TStringList& ports, bool withNames) const;
    void PortDetails(const std::vector<zt_usb_detector::TZtComInfo>& ports, int count) const;
    void Volumes(const std::vector<zt_usb_detector::TZtVolInfo>& volumes, int count) const;
    void Usbasp(const zt::host::String* name) const;  // null: none attached
    void FtdiDevices(const D2XXUnit_ZT::TFT_DeviceInfoList& devices) const;
    void Devices(const std::vector<zt::devices::UsbDevice>& devices) const;
    void Heading(const std::string& title) const;  // text only

    // Events of a detector, as they happen.
    void Attach(zt_usb_detector::TZtUsbDetector& detector) const;

private:
    template <typename Record>
    void Records(const std::vector<Record>& records, int count) const;
    template <typename Record>
    void InfoEvent(const std::vector<Record>& records, int count) const;
    void Line(const std::string& text) const;
    void Table(const std::vector<std::string>& header,
               const std::vector<std::vector<std::string>>& rows) const;

    std::FILE* out_;
    bool json_;
};

// 1536 -> "1.5 KB"; binary units as Windows shows them.
std::string ReadableSize(std::int64_t bytes);

}  // namespace ztusbmon
