#include "detector/com_port_rules.h"

namespace zt_usb_detector::com_rules {
namespace {

// The object text writes every backslash of a value twice.
constexpr char16_t kDoubledBackslash[] = u"\\\\";

}  // namespace

std::int32_t PortNumber(std::u16string_view portName) {
    return zt::host::StrToIntDef(portName.substr(std::min<std::size_t>(3, portName.size())), 0);
}

String QuotedValue(const String& line) {
    TStringList pieces;
    TZtUsbDetector::SplitStr(line, u"\"", pieces);
    return pieces[1];
}

void ApplyCaption(TZtComInfo& record, const String& caption) {
    TStringList pieces;
    TZtUsbDetector::SplitStr(caption, u"(", pieces);
    record.PortType = zt::host::Trim(pieces[0]);
    const String afterParenthesis = pieces[1];
    TZtUsbDetector::SplitStr(afterParenthesis, u")", pieces);
    record.sPort = pieces[0];
    record.iPort = PortNumber(record.sPort);
}

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

void ApplyPlainSegment(TZtComInfo& record, const String& segment) {
    record.VID.clear();
    record.PID.clear();
    record.Serial = segment;
}

bool IsFt232R(const TZtComInfo& record) {
    return record.VID == u"VID_0403" && record.PID == u"PID_6001";
}

}  // namespace zt_usb_detector::com_rules
