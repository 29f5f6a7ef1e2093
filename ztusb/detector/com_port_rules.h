#pragma once
// How COM port records are picked out of WMI object text, shared by the port list and the
// new-port inquiry. A rule that takes a piece the split did not produce throws
// EStringListError; the inquiries catch and report it.

#include <optional>
#include <vector>

#include "ztusb/detector/pieces.h"
#include "ztusb/detector/zt_usb_detector.h"

namespace zt_usb_detector::com_rules {

// One Win32_PnPEntity of an answer, read by property name so that a value holding the word
// "Caption" or "DeviceID" is only a value.
struct PnpEntity {
    std::optional<String> caption;       // escapes undone
    std::optional<String> deviceId;      // as written: backslashes doubled, which the rules split at
    std::optional<String> manufacturer;  // escapes undone
};

// The entities of a query's lines, one after another: each begins at its "instance of"
// header, or where a property comes a second time in text without headers.
class EntityReader {
public:
    explicit EntityReader(const TStringList& lines) : lines_(lines) {}
    // The next entity; false after the last.
    bool Next(PnpEntity& entity);

private:
    const TStringList& lines_;
    int next_ = 0;
};
std::vector<PnpEntity> ReadEntities(const TStringList& lines);

// The number after the first three characters (COM5 -> 5); 0 when that is not a number.
std::int32_t PortNumber(std::u16string_view portName);

// Whether the caption names a COM port: "(COM" in any letter case.
bool NamesComPort(const String& caption);

// Caption "Intel(R) Active Management Technology - SOL (COM4)": the last parenthesised
// group is the port (COM4), the text before it the type.
void ApplyCaption(TZtComInfo& record, const String& caption);

// A Bluetooth device ID: Serial is its third backslash segment, PortType "Bluetooth".
bool IsBluetooth(const String& deviceId);
void ApplyBluetoothDeviceId(TZtComInfo& record, std::u16string_view deviceId);

// The device ID's middle segment, between the first and second (doubled) backslash.
std::u16string_view MiddleSegment(std::u16string_view deviceId);

// VID, PID and Serial from a "+" middle segment: VID_0403+PID_6001+FT12AB34A. Returns the
// third piece whole; Serial is that piece without its last character.
std::u16string_view ApplyPlusSegment(TZtComInfo& record, std::u16string_view segment);

// USB\VID_xxxx&PID_yyyy[&MI_zz]\<instance>: VID, PID and the instance as Serial. False,
// and nothing changed, for a device ID of another shape.
bool ApplyUsbDeviceId(TZtComInfo& record, std::u16string_view deviceId);

// Serial is the whole segment; no VID or PID.
void ApplyPlainSegment(TZtComInfo& record, std::u16string_view segment);

// Whether the device ID holds the name, letter case aside: WMI writes instances in capitals
// while interface names may carry them in small letters.
bool HoldsName(std::u16string_view deviceId, const String& name);

bool IsFt232R(const TZtComInfo& record);

}  // namespace zt_usb_detector::com_rules
