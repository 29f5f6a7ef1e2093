#pragma once
// Reading lines of WMI object text ("\tName = value;") and writing names into WQL text.
// Shared by every WMI inquiry so that all of them read and quote values the same way.

#include "ztusb/export.h"
#include "ztusb/host/text.h"

#include <string_view>

namespace zt_usb_detector::wmi_text {

using String = zt::host::String;

// The property a line of object text sets ("\tCaption = ..." -> Caption); empty when the line
// sets none (a header, a brace).
ZT_API std::u16string_view PropertyName(std::u16string_view line);

// Whether the line opens an object: "instance of <Class>".
ZT_API bool StartsObject(std::u16string_view line);

// Whether the line sets exactly this property (BlockSize is not Size).
ZT_API bool IsProperty(std::u16string_view line, std::u16string_view name);

// The quoted value as the object text writes it: from the first quote to the closing quote
// that is not escaped, escapes kept (a device ID keeps its doubled backslashes). A line
// without a quote gives an empty text; a line whose value does not close gives the rest.
ZT_API String RawQuotedValue(std::u16string_view line);

// The quoted value with the object text's escapes undone: \" is a quote, \\ a backslash.
ZT_API String QuotedText(std::u16string_view line);
// A raw quoted value with its escapes undone.
ZT_API String Unescaped(std::u16string_view raw);

// The text placed inside a LIKE pattern of a double-quoted WQL string so that it matches
// itself only: %, _ and [ lose their pattern meaning, " and \ their string meaning.
ZT_API String LikeLiteral(std::u16string_view text);

}  // namespace zt_usb_detector::wmi_text
