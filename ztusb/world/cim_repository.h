#pragma once
// The simulated world's CIM repository: instances of the classes in cim_schema.h and the
// associations between them, queried with WQL as WMI would be.

#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ztusb/export.h"
#include "ztusb/world/cim_schema.h"

namespace zt::world {

// A property the schema does not know, kept as object text writes its value ("3",
// "\"text\"", "{\"a\", \"b\"}") so that it is written back unchanged.
struct CimWrittenProperty {
    String name;
    String text;
};

class ZT_SIM_API CimObject {
public:
    // Appends the values to the arena, where the object finds them from then on: one value
    // per property of the class (nothing is null); the written properties are sorted by
    // name, ignoring case.
    CimObject(const CimClass& cimClass, const std::vector<std::optional<String>>& values,
              std::vector<CimWrittenProperty> written, String& arena);

    const CimClass& Class() const { return *cimClass_; }
    std::optional<std::u16string_view> Value(std::size_t property) const;
    std::optional<std::u16string_view> Value(const CimProperty& property) const;
    std::u16string_view Key() const { return *Value(cimClass_->Key()); }
    const std::vector<CimWrittenProperty>& Written() const { return written_; }

    // Appends the object's part of its arena to a copy that will take the arena's place.
    void MoveTo(String& compacted);

private:
    std::uint32_t End(std::size_t property) const;
    std::u16string_view Packed() const;

    const CimClass* cimClass_;
    // The extent's arena holds, at offset_, where each value ends (two characters per
    // property, low half first) and then every value back to back. The instances of a
    // class lie in it one after the other, so that a scan reads memory in order.
    const String* arena_;
    std::size_t offset_;
    std::size_t length_;
    std::uint32_t present_ = 0;  // one bit per property that is not null
    std::vector<CimWrittenProperty> written_;
};

class ZT_SIM_API CimRepository {
public:
    using Values = std::vector<std::pair<String, String>>;  // property name, value as text

    // A property the schema does not know is kept as a text. Throws std::invalid_argument
    // for an unknown class, a missing or duplicate key, or a number that is not one.
    void Add(std::u16string_view className, const Values& values,
             std::vector<CimWrittenProperty> written = {});
    // Removes the instance and every association it stands in; false when there is none.
    bool Remove(std::u16string_view className, std::u16string_view key);
    // Links two instances by their keys; throws std::invalid_argument when the class is
    // not an association or an end does not exist.
    void Associate(std::u16string_view associationClass, std::u16string_view antecedentKey,
                   std::u16string_view dependentKey);

    // The object texts of a WQL statement's result, or nothing when WMI would fail it.
    std::optional<std::vector<String>> Query(std::u16string_view wql) const;

    // Calls visit for every instance of the class, in the order they were added.
    template <typename Visit>
    void ForEachInstance(const CimClass& cimClass, Visit visit) const {
        const Extent* extent = FindExtent(cimClass);
        if (extent == nullptr) return;
        for (const auto& object : extent->objects) {
            if (object) visit(*object);
        }
    }
    // Calls visit(antecedentKey, dependentKey) for every link of the association class, in
    // the order they were made.
    template <typename Visit>
    void ForEachLink(const CimClass& associationClass, Visit visit) const {
        for (const auto& link : links_) {
            if (link && link->association == &associationClass) visit(link->antecedentKey, link->dependentKey);
        }
    }
    const CimObject* Find(const CimClass& cimClass, std::u16string_view key) const;
    // The objects linked to the given one through the association class, in link order.
    std::vector<const CimObject*> Associators(const CimObject& object,
                                              const CimClass& associationClass) const;

private:
    struct Link {
        const CimClass* association;
        String antecedentKey;
        String dependentKey;
    };
    // A class's instances in the order they were added, with an index by key (letter case
    // folded) so that adding, finding and removing stay cheap in a large world. A removed
    // instance leaves a hole until holes are half the extent.
    struct Extent {
        std::vector<std::optional<CimObject>> objects;
        String arena;
        std::unordered_map<String, std::size_t> byKey;
        std::size_t holes = 0;
    };
    Extent& ExtentOf(const CimClass& cimClass);
    const Extent* FindExtent(const CimClass& cimClass) const;
    static void Compact(Extent& extent);

    void IndexLink(std::size_t link);
    void Unlink(const String& end);
    void CompactLinks();

    // Held apart so that an extent's arena stays where its objects know it.
    std::vector<std::pair<const CimClass*, std::unique_ptr<Extent>>> classes_;
    std::vector<std::optional<Link>> links_;
    std::size_t deadLinks_ = 0;
    // The links each instance stands in, by "Class.KEY" with letter case folded.
    std::unordered_map<String, std::vector<std::size_t>> linksByEnd_;
};

}  // namespace zt::world
