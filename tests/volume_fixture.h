#pragma once
// A detector on a simulated workstation whose WMI queries are noted and can be rewritten, with
// its volume records and events as text.

#include <gtest/gtest.h>

#include "ztusb/sim/workstation.h"
#include "tests/test_support.h"

namespace zt::testing {

using zt_usb_detector::TZtVolInfo;

inline sim::Volume Fat32(const host::String& letter, const host::String& label) {
    return {letter, u"FAT32", 16008523776, 15000000000, label, u"1A2B3C4D"};
}

inline std::string Describe(const TZtVolInfo& v) {
    return host::ToUtf8(v.DeviceID + u"|" + v.FileSystem + u"|" + v.VolName + u"|" + v.VolSerial +
                        u"|" + v.FulName + u"|" + v.PNPDeviceID) +
           "|" + std::to_string(v.Size) + "|" + std::to_string(v.FreeSpace);
}

class VolumeFixture : public ::testing::Test {
protected:
    VolumeFixture() : served(Backend()) {
        RecordEvents(detector, events);
        detector.OnNewVolInfo = [this](host::TObject*, std::vector<TZtVolInfo> records,
                                       std::int32_t count) {
            std::string line = "info " + std::to_string(count) + " of " + std::to_string(records.size());
            for (std::int32_t i = 0; i < count; ++i) {
                newRecords.push_back(Describe(records[static_cast<std::size_t>(i)]));
                line += " [" + newRecords.back() + "]";
            }
            events.push_back(line);
        };
    }
    ~VolumeFixture() override { PumpRequests(); }

    // The workstation's WMI, with every query noted and a chance to rewrite the answers.
    ZtWmiU::WmiBackend Backend() {
        return [this](const host::String& query) {
            queries.push_back(query);
            auto texts = station.Cim().Query(query);
            if (texts && rewrite) {
                for (host::String& text : *texts) text = rewrite(query, text);
            }
            return texts;
        };
    }

    // Answers with CR LF line breaks instead of the simulated world's LF, as Windows may.
    void BreakLinesWithCrLf(bool crlf) {
        rewrite = [crlf](const host::String&, host::String text) {
            if (!crlf) return text;
            host::String withCr;
            for (const char16_t c : text) withCr += c == u'\n' ? host::String(u"\r\n") : host::String(1, c);
            return withCr;
        };
    }

    std::vector<std::string> Inventory() {
        std::vector<std::string> lines;
        const std::int32_t count = detector.GetAvailableVolumens();
        for (std::int32_t i = 0; i < count; ++i) {
            lines.push_back(Describe(detector.ZtAllVolInfo[static_cast<std::size_t>(i)]));
        }
        return lines;
    }

    // The info events only.
    std::vector<std::string> Infos() const {
        std::vector<std::string> infos;
        for (const std::string& event : events) {
            if (event.starts_with("info")) infos.push_back(event);
        }
        return infos;
    }

    DialogRecorder dialogs;
    sim::Workstation station;
    std::vector<host::String> queries;
    std::function<host::String(const host::String& query, const host::String& text)> rewrite;
    WmiServed served;
    zt_usb_detector::TZtUsbDetector detector;
    std::vector<std::string> events;
    std::vector<std::string> newRecords;  // of every info event, described
};

}  // namespace zt::testing
