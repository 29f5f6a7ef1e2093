#include "ztusb/world/object_text.h"

#include <algorithm>

namespace zt::world {
namespace {

void AppendQuoted(String& text, std::u16string_view value) {
    text += u'"';
    for (const char16_t c : value) {
        if (c == u'\\' || c == u'"') text += u'\\';
        text += c;
    }
    text += u'"';
}

void AppendValue(String& text, const CimProperty& property, std::u16string_view value) {
    switch (property.type) {
        case CimType::Text:
            AppendQuoted(text, value);
            return;
        case CimType::UInt64:  // 64-bit numbers travel as strings in WMI
            text += u'"';
            text += value;
            text += u'"';
            return;
        default:
            text += value;
    }
}

void AppendLine(String& text, std::u16string_view name) {
    text += u"\t";
    text += name;
    text += u" = ";
}

}  // namespace

String WrittenString(std::u16string_view value) {
    String text;
    AppendQuoted(text, value);
    return text;
}

// The schema lists every class's properties in the order Windows writes them: by name,
// ignoring case; the properties it does not know are merged in by name.
String RenderObjectText(const CimObject& object, const std::vector<bool>& selected) {
    const CimClass& cimClass = object.Class();
    const bool all = std::all_of(selected.begin(), selected.end(), [](bool s) { return s; });
    const auto& written = object.Written();
    auto next = all ? written.begin() : written.end();
    String text = u"\ninstance of ";
    text += cimClass.name;
    text += u"\n{\n";
    const auto appendWrittenWhile = [&](auto before) {
        for (; next != written.end() && before(*next); ++next) {
            AppendLine(text, next->name);
            text += next->text;
            text += u";\n";
        }
    };
    for (std::size_t i = 0; i < cimClass.properties.size(); ++i) {
        const CimProperty& property = cimClass.properties[i];
        const auto value = object.Value(i);
        if (!value || !(selected[i] || property.key)) continue;
        appendWrittenWhile([&](const CimWrittenProperty& w) { return host::CompareText(w.name, property.name) < 0; });
        AppendLine(text, property.name);
        AppendValue(text, property, *value);
        text += u";\n";
    }
    appendWrittenWhile([](const CimWrittenProperty&) { return true; });
    text += u"};\n";
    return text;
}

}  // namespace zt::world
