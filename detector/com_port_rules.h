#pragma once
// How COM port records are picked out of WMI object text, shared by the port list and the
// new-port inquiry. A rule that takes a piece the split did not produce throws
// EStringListError; the inquiries catch and report it.

#include "detector/zt_usb_detector.h"

namespace zt_usb_detector::com_rules {

// The text between a line's first and second double quote.
String QuotedValue(const String& line);

// The number after the first three characters (COM5 -> 5); 0 when that is not a number.
std::int32_t PortNumber(std::u16string_view portName);

// Caption "USB Serial Port (COM5)": PortType, sPort and iPort.
void ApplyCaption(TZtComInfo& record, const String& caption);

// A Bluetooth device ID: Serial is its third backslash segment, PortType "Bluetooth".
void ApplyBluetoothDeviceId(TZtComInfo& record, const String& deviceId);

// The device ID's middle segment, between the first and second (doubled) backslash.
String MiddleSegment(const String& deviceId);

// VID, PID and Serial from a "+" middle segment: VID_0403+PID_6001+FT12AB34A. Returns the
// third piece whole; Serial is that piece without its last character.
String ApplyPlusSegment(TZtComInfo& record, const String& segment);

// Serial is the whole segment; no VID or PID.
void ApplyPlainSegment(TZtComInfo& record, const String& segment);

bool IsFt232R(const TZtComInfo& record);

}  // namespace zt_usb_detector::com_rules
