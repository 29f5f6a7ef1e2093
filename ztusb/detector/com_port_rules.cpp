#include "ztusb/detector/com_port_rules.h"

#include "ztusb/detector/wmi_text.h"

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

}  // namespace

bool EntityReader::Next(PnpEntity& entity) {
    entity = {};
    bool started = false;
    for (; next_ < lines_.Count(); ++next_) {
        const String& line = lines_[next_];
        if (wmi_text::StartsObject(line)) {
            if (started) return true;
        } else if (!TakeLine(entity, line)) {
            return true;  // a property came twice: it starts the next entity
        }
        started = true;
    }
    return started;
}

std::vector<PnpEntity> ReadEntities(const TStringList& lines) {
    std::vector<PnpEntity> entities;
    EntityReader reader(lines);
    for (PnpEntity entity; reader.Next(entity);) entities.push_back(std::move(entity));
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

void ApplyBluetoothDeviceId(TZtComInfo& record, std::u16string_view deviceId) {
    record.Serial = Piece(deviceId, kDoubledBackslash, 2);
    record.PortType = u"Bluetooth";
}

std::u16string_view MiddleSegment(std::u16string_view deviceId) {
    return Piece(deviceId, kDoubledBackslash, 1);
}

std::u16string_view ApplyPlusSegment(TZtComInfo& record, std::u16string_view segment) {
    record.VID = Piece(segment, u"+", 0);
    record.PID = Piece(segment, u"+", 1);
    const std::u16string_view third = Piece(segment, u"+", 2);
    record.Serial = third.substr(0, third.empty() ? 0 : third.size() - 1);
    return third;
}

bool ApplyUsbDeviceId(TZtComInfo& record, std::u16string_view deviceId) {
    const auto bus = FindPiece(deviceId, kDoubledBackslash, 0);
    const auto instance = FindPiece(deviceId, kDoubledBackslash, 2);
    if (!instance || !zt::host::SameText(*bus, u"USB")) return false;
    const std::u16string_view ids = MiddleSegment(deviceId);
    const auto vid = FindPiece(ids, u"&", 0);
    const auto pid = FindPiece(ids, u"&", 1);
    if (!pid || !vid->starts_with(u"VID_") || !pid->starts_with(u"PID_")) return false;
    record.VID = *vid;
    record.PID = *pid;
    record.Serial = *instance;
    return true;
}

void ApplyPlainSegment(TZtComInfo& record, std::u16string_view segment) {
    record.VID.clear();
    record.PID.clear();
    record.Serial = segment;
}

bool HoldsName(std::u16string_view deviceId, const String& name) {
    return Contains(UpperCase(wmi_text::Unescaped(deviceId)), UpperCase(name));
}

bool IsFt232R(const TZtComInfo& record) {
    return record.VID == u"VID_0403" && record.PID == u"PID_6001";
}

}  // namespace zt_usb_detector::com_rules
