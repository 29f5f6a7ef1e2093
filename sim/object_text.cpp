#include "sim/object_text.h"

namespace zt::sim {
namespace {

String Quoted(const String& value) {
    String quoted = u"\"";
    for (const char16_t c : value) {
        if (c == u'\\' || c == u'"') quoted += u'\\';
        quoted += c;
    }
    return quoted + u"\"";
}

String Rendered(const CimProperty& property, const String& value) {
    switch (property.type) {
        case CimType::String:
            return Quoted(value);
        case CimType::UInt64:  // 64-bit numbers travel as strings in WMI
            return u"\"" + value + u"\"";
        default:
            return value;
    }
}

}  // namespace

// The schema lists every class's properties in the order Windows writes them: by name,
// ignoring case.
String RenderObjectText(const CimObject& object, const std::vector<bool>& selected) {
    const CimClass& cimClass = *object.cimClass;
    String text = u"\ninstance of ";
    text += cimClass.name;
    text += u"\n{\n";
    for (std::size_t i = 0; i < cimClass.properties.size(); ++i) {
        const CimProperty& property = cimClass.properties[i];
        const auto& value = object.values[i];
        if (!value || !(selected[i] || property.key)) continue;
        text += u"\t";
        text += property.name;
        text += u" = ";
        text += Rendered(property, *value);
        text += u";\n";
    }
    text += u"};\n";
    return text;
}

}  // namespace zt::sim
