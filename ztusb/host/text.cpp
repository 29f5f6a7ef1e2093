#include "ztusb/host/text.h"
#include "ztusb/win32/windows_names.h"

#include <algorithm>
#include <charconv>

namespace zt::host {
namespace {

template <typename Char>
Char AsciiUpper(Char c) {
    return c >= 'a' && c <= 'z' ? static_cast<Char>(c - ('a' - 'A')) : c;
}

template <typename Char>
Char AsciiLower(Char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<Char>(c + ('a' - 'A')) : c;
}

std::string Narrow(win32::UINT codePage, std::u16string_view text) {
    if (text.empty()) return {};
    const auto* wide = reinterpret_cast<const win32::WCHAR*>(text.data());
    const int length = static_cast<int>(text.size());
    std::string out(static_cast<std::size_t>(win32::WideCharToMultiByte(
                        codePage, 0, wide, length, nullptr, 0, nullptr, nullptr)),
                    '\0');
    win32::WideCharToMultiByte(codePage, 0, wide, length, out.data(), static_cast<int>(out.size()),
                               nullptr, nullptr);
    return out;
}

String Widen(win32::UINT codePage, std::string_view text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    String out(static_cast<std::size_t>(
                   win32::MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0)),
               u'\0');
    win32::MultiByteToWideChar(codePage, 0, text.data(), length,
                               reinterpret_cast<win32::WCHAR*>(out.data()),
                               static_cast<int>(out.size()));
    return out;
}

template <typename Integer>
Integer ParseInteger(std::u16string_view text, Integer fallback) {
    // Digits and signs are ASCII, so anything else can be dropped before parsing.
    std::string narrow;
    for (const char16_t c : text) {
        if (c > 0x7F) return fallback;
        narrow += static_cast<char>(c);
    }
    const char* first = narrow.data();
    const char* last = first + narrow.size();
    // A plus may stand where a minus could, not before one ("+-5" is not a number).
    if (first != last && *first == '+') {
        ++first;
        if (first != last && *first == '-') return fallback;
    }
    Integer value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    return error == std::errc() && end == last && first != last ? value : fallback;
}

}  // namespace

AnsiString ToAnsi(std::u16string_view text) { return Narrow(CP_ACP, text); }
String FromAnsi(std::string_view text) { return Widen(CP_ACP, text); }
std::string ToUtf8(std::u16string_view text) { return Narrow(CP_UTF8, text); }
String FromUtf8(std::string_view text) { return Widen(CP_UTF8, text); }

String UpperCase(String text) {
    std::transform(text.begin(), text.end(), text.begin(), AsciiUpper<char16_t>);
    return text;
}

String LowerCase(String text) {
    std::transform(text.begin(), text.end(), text.begin(), AsciiLower<char16_t>);
    return text;
}

int CompareText(std::u16string_view a, std::u16string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const char16_t left = AsciiUpper(a[i]);
        const char16_t right = AsciiUpper(b[i]);
        if (left != right) return left < right ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

String Trim(std::u16string_view text) {
    const auto isSpace = [](char16_t c) { return c <= u' '; };
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return String(text);
}

std::int32_t StrToIntDef(std::u16string_view text, std::int32_t fallback) {
    return ParseInteger(text, fallback);
}

std::int64_t StrToInt64Def(std::u16string_view text, std::int64_t fallback) {
    return ParseInteger(text, fallback);
}

bool SameText(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && CompareText(a, b) == 0;
}

}  // namespace zt::host
