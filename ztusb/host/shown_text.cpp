#include "ztusb/host/shown_text.h"

#include <cstdio>
#include <cstring>

#include "ztusb/host/text.h"

namespace zt::host {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

// Characters a terminal or an editor acts on without showing: bidirectional overrides and
// isolates, and the line and paragraph separators.
bool IsInvisibleFormat(char32_t c) {
    return (c >= 0x200E && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069) || c == 0x061C;
}

// Code points past the first plane as their surrogate pair.
void AppendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
}

void AppendEscape(std::u16string& out, const char* format, unsigned value) {
    char escape[12];
    std::snprintf(escape, sizeof escape, format, value);
    out.append(escape, escape + std::strlen(escape));
}

void AppendShown(std::u16string& out, char32_t c) {
    if (c < 0x100 && IsControl(c)) {
        AppendEscape(out, "\\x%02X", static_cast<unsigned>(c));
    } else if (IsInvisibleFormat(c)) {
        AppendEscape(out, "\\u%04X", static_cast<unsigned>(c));
    } else {
        AppendUtf16(out, c);
    }
}

// The code point of a valid UTF-8 sequence at `at` and its length, or length 0.
std::pair<char32_t, std::size_t> DecodeUtf8(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2
                       : lead >= 0xE0 && lead < 0xF0                  ? 3
                       : lead >= 0xF0 && lead < 0xF5                  ? 4
                                                                      : 0;
    if (length == 0 || at + length > text.size()) return {0, 0};
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return {0, 0};
        c = (c << 6) | (byte(i) & 0x3F);
    }
    // Overlong forms, surrogates and values past Unicode are not text.
    constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kLeast[length] || (c >= 0xD800 && c < 0xE000) || c > 0x10FFFF) return {0, 0};
    return {c, length};
}

bool IsWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF && c != 0x303F) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
           (c >= 0x1F900 && c <= 0x1F9FF) || (c >= 0x20000 && c <= 0x3FFFD);
}

bool IsCombining(char32_t c) {
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) ||
           (c >= 0x1DC0 && c <= 0x1DFF) || (c >= 0x20D0 && c <= 0x20FF) ||
           (c >= 0xFE20 && c <= 0xFE2F) || c == 0x200B || c == 0x200C || c == 0x200D;
}

}  // namespace

std::string ShownText(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        const bool high = unit >= 0xD800 && unit < 0xDC00;
        const bool lowFollows = i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000;
        if (high && lowFollows) {
            AppendShown(out, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (text[++i] - 0xDC00));
        } else {
            AppendShown(out, unit >= 0xD800 && unit < 0xE000 ? kReplacement : unit);
        }
    }
    return ToUtf8(out);
}

std::string ShownText(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto [c, length] = DecodeUtf8(utf8, i);
        if (length == 0) {
            AppendEscape(out, "\\x%02X", static_cast<unsigned char>(utf8[i++]));
        } else {
            AppendShown(out, c);
            i += length;
        }
    }
    return ToUtf8(out);
}

std::string ShownText(std::string_view utf8, std::size_t longestCharacters) {
    std::size_t characters = 0;
    std::size_t cut = utf8.size();
    for (std::size_t i = 0; i < utf8.size(); ++characters) {
        if (characters == longestCharacters) cut = i;
        const std::size_t length = DecodeUtf8(utf8, i).second;
        i += length == 0 ? 1 : length;
    }
    if (characters <= longestCharacters) return ShownText(utf8);
    return ShownText(utf8.substr(0, cut)) + "\xE2\x80\xA6 (" + std::to_string(characters) + " characters)";
}

std::size_t ShownWidth(std::string_view shownUtf8) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < shownUtf8.size();) {
        const auto [c, length] = DecodeUtf8(shownUtf8, i);
        i += length == 0 ? 1 : length;
        width += length == 0 ? 1 : IsCombining(c) ? 0 : IsWide(c) ? 2 : 1;
    }
    return width;
}

}  // namespace zt::host
