#pragma once
// The simulated world's CIM repository: instances of the classes in cim_schema.h and the
// associations between them, queried with WQL as WMI would be.

#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "sim/cim_schema.h"

namespace zt::sim {

struct CimObject {
    const CimClass* cimClass;
    std::vector<std::optional<String>> values;  // one per property of the class; empty is null

    const std::optional<String>& Value(const CimProperty& property) const;
};

class CimRepository {
public:
    using Values = std::vector<std::pair<String, String>>;  // property name, value as text

    // Throws std::invalid_argument for an unknown class or property, a missing or
    // duplicate key, or a number that is not one.
    void Add(std::u16string_view className, const Values& values);
    // Removes the instance and every association it stands in; false when there is none.
    bool Remove(std::u16string_view className, std::u16string_view key);
    // Links two instances by their keys; throws std::invalid_argument when the class is
    // not an association or an end does not exist.
    void Associate(std::u16string_view associationClass, std::u16string_view antecedentKey,
                   std::u16string_view dependentKey);

    // The object texts of a WQL statement's result, or nothing when WMI would fail it.
    std::optional<std::vector<String>> Query(std::u16string_view wql) const;

    const std::vector<CimObject>& Instances(const CimClass& cimClass) const;
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
    // folded) so that adding and finding stay cheap in a large world.
    struct Extent {
        std::vector<CimObject> objects;
        std::unordered_map<String, std::size_t> byKey;
    };
    Extent& ExtentOf(const CimClass& cimClass);
    const Extent* FindExtent(const CimClass& cimClass) const;

    void IndexLink(std::size_t link);

    std::vector<std::pair<const CimClass*, Extent>> classes_;
    std::vector<Link> links_;
    // The links each instance stands in, by "Class.KEY" with letter case folded.
    std::unordered_map<String, std::vector<std::size_t>> linksByEnd_;
};

}  // namespace zt::sim
