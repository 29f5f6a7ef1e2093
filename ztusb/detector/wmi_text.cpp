#include "ztusb/detector/wmi_text.h"

namespace zt_usb_detector::wmi_text {
namespace {

constexpr std::u16string_view kAssign = u" = ";

// The position of the closing quote of a value opening at `open`, or the text's end.
std::size_t ClosingQuote(std::u16string_view line, std::size_t open) {
    std::size_t at = open + 1;
    while (at < line.size() && line[at] != u'"') at += line[at] == u'\\' ? 2 : 1;
    return std::min(at, line.size());
}

std::u16string_view RawValueView(std::u16string_view line) {
    const std::size_t open = line.find(u'"');
    if (open == std::u16string_view::npos) return {};
    return line.substr(open + 1, ClosingQuote(line, open) - open - 1);
}

}  // namespace

std::u16string_view PropertyName(std::u16string_view line) {
    const std::size_t start = line.find_first_not_of(u"\t ");
    const std::size_t assign = line.find(kAssign);
    if (start == std::u16string_view::npos || assign == std::u16string_view::npos ||
        assign <= start) {
        return {};
    }
    const std::u16string_view name = line.substr(start, assign - start);
    return name.find_first_of(u"\" \t") == std::u16string_view::npos ? name : std::u16string_view{};
}

bool StartsObject(std::u16string_view line) {
    const std::size_t start = line.find_first_not_of(u"\t ");
    return start != std::u16string_view::npos && line.substr(start).starts_with(u"instance of");
}

bool IsProperty(std::u16string_view line, std::u16string_view name) {
    return PropertyName(line) == name;
}

String RawQuotedValue(std::u16string_view line) { return String(RawValueView(line)); }

String QuotedText(std::u16string_view line) { return Unescaped(RawValueView(line)); }

String Unescaped(std::u16string_view raw) {
    String text;
    text.reserve(raw.size());
    for (std::size_t at = 0; at < raw.size(); ++at) {
        if (raw[at] == u'\\' && at + 1 < raw.size()) ++at;
        text += raw[at];
    }
    return text;
}

String LikeLiteral(std::u16string_view text) {
    String literal;
    literal.reserve(text.size());
    for (const char16_t c : text) {
        switch (c) {
            case u'%': literal += u"[%]"; break;
            case u'_': literal += u"[_]"; break;
            case u'[': literal += u"[[]"; break;
            case u'"': literal += u"\\\""; break;
            case u'\\': literal += u"\\\\"; break;
            default: literal += c;
        }
    }
    return literal;
}

}  // namespace zt_usb_detector::wmi_text
