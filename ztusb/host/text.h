#pragma once
// Text types and helpers: UTF-16 strings, 8-bit text in the system code page, UTF-8 for
// display, and letter-case rules that touch A to Z only.

#include <cstdint>
#include <string>
#include <string_view>

#include "ztusb/export.h"
#include "ztusb/win32/api.h"

namespace zt::host {

using String = std::u16string;
using AnsiString = std::string;

ZT_API AnsiString ToAnsi(std::u16string_view text);
ZT_API String FromAnsi(std::string_view text);
ZT_API std::string ToUtf8(std::u16string_view text);
ZT_API String FromUtf8(std::string_view text);

ZT_API String UpperCase(String text);
ZT_API String LowerCase(String text);
// Compares ignoring the case of A to Z: < 0, 0 or > 0.
ZT_API int CompareText(std::u16string_view a, std::u16string_view b);
ZT_API bool SameText(std::u16string_view a, std::u16string_view b);
// Whether the text holds the part anywhere, letter case as it stands.
inline bool Contains(std::u16string_view text, std::u16string_view part) {
    return text.find(part) != std::u16string_view::npos;
}

// Lines end at CR LF, LF or CR. The end of the line that starts at `start` (the text's size
// for the last), and where the line after a line ending at `end` starts.
inline std::size_t LineEnd(std::u16string_view text, std::size_t start) {
    while (start < text.size() && text[start] != u'\r' && text[start] != u'\n') ++start;
    return start;
}
inline std::size_t NextLineStart(std::u16string_view text, std::size_t end) {
    const bool crLf = end + 1 < text.size() && text[end] == u'\r' && text[end + 1] == u'\n';
    return end + (crLf ? 2 : 1);
}

// Without leading and trailing blanks and control characters.
ZT_API String Trim(std::u16string_view text);
// A decimal integer with an optional sign, or the default when the text is not one.
ZT_API std::int32_t StrToIntDef(std::u16string_view text, std::int32_t fallback);
ZT_API std::int64_t StrToInt64Def(std::u16string_view text, std::int64_t fallback);

// The string's units as the platform's wide characters (the same 16-bit units).
inline const win32::WCHAR* WideText(const String& text) {
    return reinterpret_cast<const win32::WCHAR*>(text.c_str());
}

}  // namespace zt::host
