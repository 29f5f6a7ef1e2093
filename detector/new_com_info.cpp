// The new-COM-port inquiry: which PnP entities belong to a port that has just arrived, tied
// to the USB device that brought it.
#include "detector/com_port_rules.h"
#include "host/application.h"
#include "host/dialogs.h"
#include "wmi/ZtWmiU.h"

namespace zt_usb_detector {
namespace {

using namespace com_rules;
using zt::host::Contains;

String NewPortQuery(const String& port, const String& arrivalName) {
    return u"SELECT Caption,Description,DeviceID,Manufacturer FROM Win32_PnPEntity WHERE "
           u"Caption Like \"%(" +
           port + u"%\"  or PNPDeviceID Like \"%" + arrivalName + u"%\"";
}

}  // namespace

// One scan of one query's lines. Records go into `records`; `count` of them are counted.
class TZtUsbDetector::NewPortScan {
public:
    NewPortScan(TZtUsbDetector& detector, const String& port, const String& arrivalName,
                std::vector<TZtComInfo>& records, bool& matched)
        : detector_(detector), port_(port), arrivalName_(arrivalName), records_(records),
          matched_(matched), listed_(detector.ListedFt232RSerials()) {}

    // Takes the lines from the first on until they end or a rule stops the scan.
    void Run(const TStringList& lines) {
        for (int i = 0; i < lines.Count() && !stopped_; ++i) Apply(lines[i]);
    }

    std::int32_t Count() const { return count_; }

private:
    void Apply(const String& line) {
        const bool deviceId = Contains(line, u"DeviceID");
        if (Contains(line, u"Caption") && Contains(zt::host::UpperCase(line), u"(COM")) {
            PortCaption(QuotedValue(line));
        } else if (count_ == 0) {
            return;  // the other rules apply to the last record
        } else if (deviceId && Contains(line, u"BTHENUM")) {
            ApplyBluetoothDeviceId(Last(), QuotedValue(line));
        } else if (deviceId && Contains(line, u"+")) {
            PlusDeviceId(MiddleSegment(QuotedValue(line)));
        } else if (deviceId && Contains(line, u"&")) {
            AmpersandDeviceId(MiddleSegment(QuotedValue(line)));
        } else if (Contains(line, u"Manufacturer")) {
            detector_.ApplyManufacturer(Last(), QuotedValue(line), listed_);
        }
    }

    // A caption of another port (COM50 for COM5) is left behind the counted records.
    void PortCaption(const String& caption) {
        records_.resize(static_cast<std::size_t>(count_));
        records_.emplace_back();
        ++count_;
        ApplyCaption(Last(), caption);
        if (Last().sPort == port_) {
            Last().Serial = arrivalName_;
        } else {
            --count_;
            stopped_ = true;
        }
    }

    void PlusDeviceId(const String& segment) {
        if (!Contains(segment, u"+")) {
            ApplyPlainSegment(Last(), segment);
            return;
        }
        const String third = ApplyPlusSegment(Last(), segment);
        if (Contains(zt::host::UpperCase(third), zt::host::UpperCase(arrivalName_))) {
            matched_ = true;
            Last().Serial = arrivalName_;
        } else {
            stopped_ = true;
        }
    }

    void AmpersandDeviceId(const String& segment) {
        if (!Contains(segment, u"&")) {
            ApplyPlainSegment(Last(), segment);
            return;
        }
        TStringList pieces;
        SplitStr(segment, u"&", pieces);
        Last().VID = pieces[0];
        Last().PID = pieces[1];
        Last().Serial = arrivalName_;
        matched_ = true;
    }

    TZtComInfo& Last() { return records_[static_cast<std::size_t>(count_) - 1]; }

    TZtUsbDetector& detector_;
    const String& port_;
    const String& arrivalName_;
    std::vector<TZtComInfo>& records_;
    bool& matched_;
    Ft232RSerials listed_;
    std::int32_t count_ = 0;
    bool stopped_ = false;
};

void TZtUsbDetector::GetNewComInfo(const String& port) {
    const auto alive = Alive();
    bool matched = false;
    const int names = FLastArrivalAName->Count();
    std::vector<TZtComInfo> records;
    for (int entry = 0; entry < names; ++entry) {
        // Read by position after the pump may have shortened the list: a checked read,
        // whose failure ends the call and is reported by the window procedure.
        const String arrivalName = (*FLastArrivalAName)[entry];
        try {
            TStringList lines;
            ZtWmiU::DoWmiScript(NewPortQuery(port, arrivalName), lines);
            if (lines.Count() == 0) continue;
            NewPortScan scan(*this, port, arrivalName, records, matched);
            scan.Run(lines);
            const std::int32_t count = scan.Count();
            if (matched && count >= 1 && !records[static_cast<std::size_t>(count) - 1].Serial.empty()) {
                DoNewComInfo(records, count);
                return;
            }
        } catch (...) {
            zt::host::ShowMessage(u"#err0041 GetNewComInfo Exception");
        }
        zt::host::ProcessMessages();
        if (!alive) return;  // freed by a message the pump or a message box dispatched
    }
}

}  // namespace zt_usb_detector
