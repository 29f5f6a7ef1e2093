#pragma once
// Text from devices, drivers and files made safe to show on a terminal or in a log: a device
// chooses its own strings, and a control character in one would drive the terminal.

#include <string>
#include <string_view>

#include "ztusb/export.h"

namespace zt::host {

// UTF-8 in which every control character (C0, DEL, C1) and every invisible character that
// reorders or breaks lines stands as an escape (`\x1B`, `\u202E`), and every unit that is not
// valid text as the replacement character. Printable text of any script is kept as it is.
ZT_API std::string ShownText(std::u16string_view text);
// The same for 8-bit text taken as UTF-8: each byte that is not part of valid UTF-8 is shown
// as `\xHH`.
ZT_API std::string ShownText(std::string_view utf8);
// The same, cut after that many characters (never inside one) and then ended with
// "… (N characters)": for a bad argument or setting echoed back, however long it was.
ZT_API std::string ShownText(std::string_view utf8, std::size_t longestCharacters);

// Terminal columns the shown text takes: East Asian wide characters take two, combining
// marks none, everything else one. For aligning columns of shown text.
ZT_API std::size_t ShownWidth(std::string_view shownUtf8);

}  // namespace zt::host
