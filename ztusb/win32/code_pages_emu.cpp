// Emulated code-page conversion: the system code page is Windows-1252; CP_UTF8 as well.
#include "ztusb/win32/api.h"
#include "ztusb/win32/windows_names.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

namespace zt::win32 {
namespace {

// Windows-1252 bytes 0x80 to 0x9F; 0 marks the five bytes the code page leaves undefined.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

constexpr char kUnmappable = '?';
constexpr char16_t kReplacement = 0xFFFD;

bool IsSupported(UINT codePage) { return codePage == CP_ACP || codePage == CP_UTF8; }

char EncodeCp1252(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
    if (unit <= 0x9F && kCp1252High[unit - 0x80] == 0) return static_cast<char>(unit);
    const auto found = std::find(kCp1252High.begin(), kCp1252High.end(), unit);
    if (found == kCp1252High.end()) return kUnmappable;
    return static_cast<char>(0x80 + (found - kCp1252High.begin()));
}

char16_t DecodeCp1252(unsigned char byte) {
    if (byte < 0x80 || byte >= 0xA0) return byte;
    const char16_t unit = kCp1252High[byte - 0x80];
    return unit != 0 ? unit : byte;  // undefined bytes map to the C1 control, as Windows does
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string EncodeUtf8(const char16_t* units, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        const char16_t unit = units[i];
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        if (high && i + 1 < count && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            AppendUtf8(out, kReplacement);  // a lone surrogate
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}

// Length of the sequence a lead byte opens, or 0 when it opens none.
std::size_t Utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

std::u16string DecodeUtf8(const unsigned char* bytes, std::size_t count) {
    static constexpr char32_t kLowest[] = {0, 0, 0x80, 0x800, 0x10000};
    std::u16string out;
    out.reserve(count);  // never more units than bytes
    std::size_t i = 0;
    while (i < count) {
        const std::size_t length = Utf8SequenceLength(bytes[i]);
        char32_t code = length > 1 ? bytes[i] & (0x7F >> length) : bytes[i];
        std::size_t taken = 1;
        while (length > 1 && taken < length && i + taken < count &&
               (bytes[i + taken] & 0xC0) == 0x80) {
            code = (code << 6) | (bytes[i + taken] & 0x3F);
            ++taken;
        }
        const bool complete = length != 0 && taken == length;
        if (!complete || code < kLowest[length] || code > 0x10FFFF ||
            (code >= 0xD800 && code <= 0xDFFF)) {
            out += kReplacement;
        } else if (code >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        i += complete ? length : taken;
    }
    return out;
}

// Windows' contract for the output side: size 0 asks for the length; too small a buffer fails.
template <typename Char>
int CopyOut(const std::basic_string<Char>& converted, Char* out, int outSize) {
    const int length = static_cast<int>(converted.size());
    if (outSize == 0) return length;
    if (out == nullptr || outSize < length) return 0;
    std::copy(converted.begin(), converted.end(), out);
    return length;
}

template <typename Char>
std::size_t InputLength(const Char* text, int count) {
    if (count >= 0) return static_cast<std::size_t>(count);
    return std::char_traits<Char>::length(text) + 1;  // -1: up to and with the NUL
}

}  // namespace

int WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR wide, int wideCount, LPSTR narrow,
                        int narrowSize, LPCSTR, BOOL* usedDefaultChar) {
    if (wide == nullptr || !IsSupported(codePage) || narrowSize < 0) return 0;
    const std::size_t count = InputLength(wide, wideCount);
    std::string converted;
    if (codePage == CP_UTF8) {
        converted = EncodeUtf8(wide, count);
    } else {
        bool usedDefault = false;
        for (std::size_t i = 0; i < count; ++i) {
            converted += EncodeCp1252(wide[i]);
            usedDefault = usedDefault || (converted.back() == kUnmappable && wide[i] != u'?');
        }
        if (usedDefaultChar != nullptr) *usedDefaultChar = usedDefault ? TRUE : FALSE;
    }
    return CopyOut(converted, narrow, narrowSize);
}

int MultiByteToWideChar(UINT codePage, DWORD, LPCSTR narrow, int narrowCount, LPWSTR wide,
                        int wideSize) {
    if (narrow == nullptr || !IsSupported(codePage) || wideSize < 0) return 0;
    const std::size_t count = InputLength(narrow, narrowCount);
    const auto* bytes = reinterpret_cast<const unsigned char*>(narrow);
    std::u16string converted;
    if (codePage == CP_UTF8) {
        converted = DecodeUtf8(bytes, count);
    } else {
        for (std::size_t i = 0; i < count; ++i) converted += DecodeCp1252(bytes[i]);
    }
    return CopyOut(converted, wide, wideSize);
}

}  // namespace zt::win32
