#pragma once
// The CIM classes the simulated world knows: their properties, types and keys, spelled as
// Windows spells them.

#include <span>

#include "ztusb/export.h"
#include "ztusb/world/former_namespace.h"
#include "ztusb/host/text.h"

namespace zt::world {

using host::String;

// How a value is written in object text: strings and 64-bit numbers quoted, the rest bare.
enum class CimType { Text, UInt64, UInt32, UInt16, Boolean };

// No class has more properties than this; instances keep their values in a table of it.
constexpr std::size_t kMaxCimProperties = 32;

struct CimProperty {
    const char16_t* name;
    CimType type;
    bool key;
};

struct ZT_SIM_API CimClass {
    const char16_t* name;
    std::span<const CimProperty> properties;
    // For an association class: the classes at its two ends (antecedent, dependent).
    const char16_t* antecedent;
    const char16_t* dependent;

    bool IsAssociation() const { return antecedent != nullptr; }
    const CimProperty* Find(std::u16string_view propertyName) const;  // ignoring case
    const CimProperty& Key() const;
};

// The class of that name, ignoring case, or null.
ZT_SIM_API const CimClass* FindCimClass(std::u16string_view name);

}  // namespace zt::world
