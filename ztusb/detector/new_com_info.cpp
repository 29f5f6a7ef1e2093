// The new-COM-port inquiry: which PnP entities belong to a port that has just arrived, tied
// to the USB device that brought it.
#include <optional>
#include <tuple>

#include "ztusb/detector/failure_message.h"
#include "ztusb/detector/com_port_rules.h"
#include "ztusb/detector/component_impl.h"
#include "ztusb/detector/ft232r_serials.h"
#include "ztusb/detector/wmi_text.h"
#include "ztusb/host/application.h"
#include "ztusb/host/dialogs.h"
#include "ztusb/host/log_line.h"
#include "ztusb/wmi/ZtWmiU.h"

namespace zt_usb_detector {
namespace {

using namespace com_rules;
using zt::host::Contains;

// Both names come from the device, so they are inserted as literals of their patterns.
String NewPortQuery(const String& port, const String& arrivalName) {
    return u"SELECT Caption,Description,DeviceID,Manufacturer FROM Win32_PnPEntity WHERE "
           u"Caption Like \"%(" +
           wmi_text::LikeLiteral(port) + u"%\"  or PNPDeviceID Like \"%" +
           wmi_text::LikeLiteral(arrivalName) + u"%\"";
}

// VID and PID of an "&" middle segment (VID_1A86&PID_7523); empty for another shape.
std::pair<String, String> AmpersandIds(std::u16string_view segment) {
    if (!Contains(segment, u"&")) return {};
    return {String(Piece(segment, u"&", 0)), String(Piece(segment, u"&", 1))};
}

bool IsPortEntity(const PnpEntity& entity) { return entity.caption && NamesComPort(*entity.caption); }

}  // namespace

// One answer for one arrival name: the port's own entity makes the record; the device that
// brought the port must hold the arrival name, either in the port's own device ID or, for a
// composite device, in its USB parent's (same VID and PID). Entities of other ports and of
// other devices the name does not belong to change nothing.
class TZtUsbDetector::Impl::NewPortScan {
public:
    NewPortScan(Impl& detector, const String& port, const String& arrivalName)
        : detector_(detector), port_(port), arrivalName_(arrivalName) {}

    // The port's record when the arrival name is its device's.
    std::optional<TZtComInfo> Run(const TStringList& lines) {
        const std::vector<PnpEntity> entities = ReadEntities(lines);
        const PnpEntity* own = PortEntity(entities);
        if (own == nullptr) return std::nullopt;
        TZtComInfo record;
        ApplyCaption(record, *own->caption);
        bool matched = own->deviceId && ApplyOwnDeviceId(record, *own->deviceId);
        std::optional<String> manufacturer = own->manufacturer;
        for (const PnpEntity& other : entities) {
            if (&other == own || IsPortEntity(other) || !IsPortDevice(record, other)) continue;
            matched = true;
            if (!manufacturer) manufacturer = other.manufacturer;
        }
        if (!matched || arrivalName_.empty()) return std::nullopt;
        record.Serial = arrivalName_;
        if (manufacturer) {
            Ft232RSerials listed = detector_.ListedFt232RSerials();
            detector_.ApplyManufacturer(record, *manufacturer, listed);
        }
        return record;
    }

private:
    // The first entity whose caption's port is exactly the one asked for (COM50 is not COM5).
    const PnpEntity* PortEntity(const std::vector<PnpEntity>& entities) const {
        for (const PnpEntity& entity : entities) {
            if (!IsPortEntity(entity)) continue;
            TZtComInfo probe;
            ApplyCaption(probe, *entity.caption);
            if (probe.sPort == port_) return &entity;
        }
        return nullptr;
    }

    // The port's own device ID; true when it holds the arrival name.
    bool ApplyOwnDeviceId(TZtComInfo& record, const String& deviceId) const {
        if (IsBluetooth(deviceId)) {
            ApplyBluetoothDeviceId(record, deviceId);
            return false;  // a Bluetooth link is not the USB device that arrived
        }
        if (!Contains(deviceId, u"+") && !Contains(deviceId, u"&")) return false;  // ACPI\\PNP0501\\1
        const std::u16string_view segment = MiddleSegment(deviceId);
        if (Contains(segment, u"+")) {
            const std::u16string_view third = ApplyPlusSegment(record, segment);
            return HoldsName(third, arrivalName_);
        }
        if (Contains(segment, u"&")) {
            std::tie(record.VID, record.PID) = AmpersandIds(segment);
            return HoldsName(deviceId, arrivalName_);
        }
        ApplyPlainSegment(record, segment);
        return false;
    }

    // A USB parent of the port: it holds the arrival name and has the port's VID and PID.
    bool IsPortDevice(const TZtComInfo& record, const PnpEntity& entity) const {
        TZtComInfo parent;
        return !record.VID.empty() && entity.deviceId && HoldsName(*entity.deviceId, arrivalName_) &&
               ApplyUsbDeviceId(parent, *entity.deviceId) && parent.VID == record.VID &&
               parent.PID == record.PID;
    }

    Impl& detector_;
    const String& port_;
    const String& arrivalName_;
};

// The newest arrival first: a port normally comes with the device that arrived last, so the
// devices attached before it cost no query. The names are the ones listed when the inquiry
// began: a broadcast that WMI's pump decodes meanwhile counts for the inquiries after it.
void TZtUsbDetector::Impl::GetNewComInfo(const String& port) {
    const TStringList names(FLastArrivalAName);
    for (int entry = names.Count() - 1; entry >= 0; --entry) {
        TStringList lines;
        if (!AskWmi(NewPortQuery(port, names[entry]), lines)) return;
        if (lines.Count() == 0) continue;
        bool reported = false;
        if (!CallOut([&] { reported = ReportNewPort(port, names[entry], lines); })) return;
        if (reported) return;
        if (!CallOut(zt::host::ProcessMessages)) return;  // freed by a message the pump dispatched
    }
}

bool TZtUsbDetector::Impl::ReportNewPort(const String& port, const String& arrivalName,
                                   const TStringList& lines) {
    try {
        const auto record = NewPortScan(*this, port, arrivalName).Run(lines);
        if (!record) {
            ZT_LOG(Debug, "scan") << "no entity of " << port << " belongs to the arrival " << arrivalName;
            return false;
        }
        FDetector.DoNewComInfo({*record}, 1);
        return true;
    } catch (...) {
        ShowFailureMessage(u"#err0041 GetNewComInfo Exception");
        return false;
    }
}

}  // namespace zt_usb_detector
