#include "sim/cim_repository.h"

#include <algorithm>
#include <stdexcept>

#include "sim/wql.h"

namespace zt::sim {
namespace {

std::invalid_argument Invalid(const std::string& what, std::u16string_view name) {
    return std::invalid_argument(what + ": " + host::ToUtf8(name));
}

const CimClass& RequireClass(std::u16string_view name) {
    const CimClass* found = FindCimClass(name);
    if (found == nullptr) throw Invalid("unknown CIM class", name);
    return *found;
}

bool IsNumber(const String& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

bool IsValidValue(const CimProperty& property, const String& value) {
    switch (property.type) {
        case CimType::String:
            return true;
        case CimType::Boolean:
            return value == u"TRUE" || value == u"FALSE";
        default:
            return IsNumber(value);
    }
}

String EndName(std::u16string_view className, std::u16string_view key) {
    return host::UpperCase(String(className) + u"." + String(key));
}

std::size_t IndexOf(const CimClass& cimClass, const CimProperty& property) {
    return static_cast<std::size_t>(&property - cimClass.properties.data());
}

}  // namespace

const std::optional<String>& CimObject::Value(const CimProperty& property) const {
    return values[IndexOf(*cimClass, property)];
}

CimRepository::Extent& CimRepository::ExtentOf(const CimClass& cimClass) {
    for (auto& [owner, extent] : classes_) {
        if (owner == &cimClass) return extent;
    }
    return classes_.emplace_back(&cimClass, Extent{}).second;
}

const CimRepository::Extent* CimRepository::FindExtent(const CimClass& cimClass) const {
    for (const auto& [owner, extent] : classes_) {
        if (owner == &cimClass) return &extent;
    }
    return nullptr;
}

const std::vector<CimObject>& CimRepository::Instances(const CimClass& cimClass) const {
    static const std::vector<CimObject> none;
    const Extent* extent = FindExtent(cimClass);
    return extent == nullptr ? none : extent->objects;
}

const CimObject* CimRepository::Find(const CimClass& cimClass, std::u16string_view key) const {
    const Extent* extent = FindExtent(cimClass);
    if (extent == nullptr) return nullptr;
    const auto found = extent->byKey.find(host::UpperCase(String(key)));
    return found == extent->byKey.end() ? nullptr : &extent->objects[found->second];
}

void CimRepository::Add(std::u16string_view className, const Values& values) {
    const CimClass& cimClass = RequireClass(className);
    if (cimClass.IsAssociation()) throw Invalid("use Associate for", className);
    CimObject object{&cimClass, std::vector<std::optional<String>>(cimClass.properties.size())};
    for (const auto& [name, value] : values) {
        const CimProperty* property = cimClass.Find(name);
        if (property == nullptr) throw Invalid("unknown property", name);
        if (!IsValidValue(*property, value)) throw Invalid("not a valid value for", name);
        object.values[IndexOf(cimClass, *property)] = value;
    }
    const auto& key = object.Value(cimClass.Key());
    if (!key) throw Invalid("missing key of", className);
    Extent& extent = ExtentOf(cimClass);
    if (!extent.byKey.emplace(host::UpperCase(*key), extent.objects.size()).second) {
        throw Invalid("duplicate key", *key);
    }
    extent.objects.push_back(std::move(object));
}

bool CimRepository::Remove(std::u16string_view className, std::u16string_view key) {
    const CimClass* cimClass = FindCimClass(className);
    if (cimClass == nullptr || Find(*cimClass, key) == nullptr) return false;
    std::erase_if(links_, [&](const Link& link) {
        return (host::SameText(link.association->antecedent, cimClass->name) &&
                host::SameText(link.antecedentKey, key)) ||
               (host::SameText(link.association->dependent, cimClass->name) &&
                host::SameText(link.dependentKey, key));
    });
    linksByEnd_.clear();
    for (std::size_t i = 0; i < links_.size(); ++i) IndexLink(i);
    const CimProperty& keyProperty = cimClass->Key();
    Extent& extent = ExtentOf(*cimClass);
    std::erase_if(extent.objects, [&](const CimObject& object) {
        return host::SameText(*object.Value(keyProperty), key);
    });
    extent.byKey.clear();
    for (std::size_t i = 0; i < extent.objects.size(); ++i) {
        extent.byKey.emplace(host::UpperCase(*extent.objects[i].Value(keyProperty)), i);
    }
    return true;
}

void CimRepository::Associate(std::u16string_view associationClass,
                              std::u16string_view antecedentKey, std::u16string_view dependentKey) {
    const CimClass& association = RequireClass(associationClass);
    if (!association.IsAssociation()) throw Invalid("not an association", associationClass);
    if (Find(RequireClass(association.antecedent), antecedentKey) == nullptr) {
        throw Invalid("no such antecedent", antecedentKey);
    }
    if (Find(RequireClass(association.dependent), dependentKey) == nullptr) {
        throw Invalid("no such dependent", dependentKey);
    }
    links_.push_back({&association, String(antecedentKey), String(dependentKey)});
    IndexLink(links_.size() - 1);
}

void CimRepository::IndexLink(std::size_t link) {
    const Link& added = links_[link];
    linksByEnd_[EndName(added.association->antecedent, added.antecedentKey)].push_back(link);
    linksByEnd_[EndName(added.association->dependent, added.dependentKey)].push_back(link);
}

std::vector<const CimObject*> CimRepository::Associators(const CimObject& object,
                                                         const CimClass& associationClass) const {
    const String& key = *object.Value(object.cimClass->Key());
    const String className = object.cimClass->name;
    std::vector<const CimObject*> found;
    const auto links = linksByEnd_.find(EndName(className, key));
    if (links == linksByEnd_.end()) return found;
    for (const std::size_t index : links->second) {
        const Link& link = links_[index];
        if (link.association != &associationClass) continue;
        if (host::SameText(associationClass.antecedent, className) &&
            host::SameText(link.antecedentKey, key)) {
            found.push_back(Find(*FindCimClass(associationClass.dependent), link.dependentKey));
        } else if (host::SameText(associationClass.dependent, className) &&
                   host::SameText(link.dependentKey, key)) {
            found.push_back(Find(*FindCimClass(associationClass.antecedent), link.antecedentKey));
        }
    }
    return found;
}

std::optional<std::vector<String>> CimRepository::Query(std::u16string_view wql) const {
    return RunWql(*this, wql);
}

}  // namespace zt::sim
