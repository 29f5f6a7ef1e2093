#include "detector/com_port_rules.h"

#include "detector/wmi_text.h"

namespace zt_usb_detector::com_rules {
namespace {

using zt::host::Contains;
using zt::host::UpperCase;

// The object text writes every backslash of a value twice.
constexpr char16_t kDoubledBackslash[] = u"\\\\";

// Stores the value unless the entity already has one; false then.
bool Take(std::optional<String>& field, String value) {
    if (field) return false;
    field = std::move(value);
    return true;
}

// Reads one property line into the entity; false when the line starts another entity.
bool TakeLine(PnpEntity& entity, const String& line) {
    const std::u16string_view name = wmi_text::PropertyName(line);
    if (name == u"Caption") return Take(entity.caption, wmi_text::QuotedText(line));
    if (name == u"DeviceID") return Take(entity.deviceId, wmi_text::RawQuotedValue(line));
    if (name == u"Manufacturer") return Take(entity.manufacturer, wmi_text::QuotedText(line));
    return true;
}

std::vector<String> Split(const String& text, const String& delimiter) {
    TStringList pieces;
    TZtUsbDetector::SplitStr(text, delimiter, pieces);
    std::vector<String> result;
    for (int i = 0; i < pieces.Count(); ++i) result.push_back(pieces[i]);
    return result;
}

}  // namespace

std::vector<PnpEntity> ReadEntities(const TStringList& lines) {
    std::vector<PnpEntity> entities(1);
    for (int i = 0; i < lines.Count(); ++i) {
        const String& line = lines[i];
        if (wmi_text::StartsObject(line)) {
            entities.emplace_back();
        } else if (!TakeLine(entities.back(), line)) {
            entities.emplace_back();
            TakeLine(entities.back(), line);
        }
    }
    return entities;
}

std::int32_t PortNumber(std::u16string_view portName) {
    return zt::host::StrToIntDef(portName.substr(std::min<std::size_t>(3, portName.size())), 0);
}

bool NamesComPort(const String& caption) { return Contains(UpperCase(caption), u"(COM"); }

void ApplyCaption(TZtComInfo& record, const String& caption) {
    const std::size_t open = caption.rfind(u'(');
    const std::size_t start = open == String::npos ? caption.size() : open + 1;
    record.PortType = zt::host::Trim(std::u16string_view(caption).substr(0, open));
    record.sPort = caption.substr(start, caption.find(u')', start) - start);
    record.iPort = PortNumber(record.sPort);
}

bool IsBluetooth(const String& deviceId) { return Contains(deviceId, u"BTHENUM"); }

void ApplyBluetoothDeviceId(TZtComInfo& record, const String& deviceId) {
    TStringList pieces;
    TZtUsbDetector::SplitStr(deviceId, kDoubledBackslash, pieces);
    record.Serial = pieces[2];
    record.PortType = u"Bluetooth";
}

String MiddleSegment(const String& deviceId) {
    TStringList pieces;
    TZtUsbDetector::SplitStr(deviceId, kDoubledBackslash, pieces);
    return pieces[1];
}

String ApplyPlusSegment(TZtComInfo& record, const String& segment) {
    TStringList pieces;
    TZtUsbDetector::SplitStr(segment, u"+", pieces);
    record.VID = pieces[0];
    record.PID = pieces[1];
    const String third = pieces[2];
    record.Serial = third.substr(0, third.empty() ? 0 : third.size() - 1);
    return third;
}

bool ApplyUsbDeviceId(TZtComInfo& record, const String& deviceId) {
    const std::vector<String> segments = Split(deviceId, kDoubledBackslash);
    if (segments.size() < 3 || !zt::host::SameText(segments[0], u"USB")) return false;
    const std::vector<String> ids = Split(segments[1], u"&");
    if (ids.size() < 2 || !ids[0].starts_with(u"VID_") || !ids[1].starts_with(u"PID_")) return false;
    record.VID = ids[0];
    record.PID = ids[1];
    record.Serial = segments[2];
    return true;
}

void ApplyPlainSegment(TZtComInfo& record, const String& segment) {
    record.VID.clear();
    record.PID.clear();
    record.Serial = segment;
}

bool HoldsName(const String& deviceId, const String& name) {
    return Contains(UpperCase(wmi_text::Unescaped(deviceId)), UpperCase(name));
}

bool IsFt232R(const TZtComInfo& record) {
    return record.VID == u"VID_0403" && record.PID == u"PID_6001";
}

}  // namespace zt_usb_detector::com_rules
