#include "ztusb/world/cim_repository.h"

#include <algorithm>
#include <stdexcept>

#include "ztusb/world/object_text.h"
#include "ztusb/world/wql.h"

namespace zt::world {
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
        case CimType::Text:
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

bool NameBefore(const CimWrittenProperty& a, const CimWrittenProperty& b) {
    return host::CompareText(a.name, b.name) < 0;
}

}  // namespace

CimObject::CimObject(const CimClass& cimClass, const std::vector<std::optional<String>>& values,
                     std::vector<CimWrittenProperty> written, String& arena)
    : cimClass_(&cimClass), arena_(&arena), offset_(arena.size()), written_(std::move(written)) {
    const std::size_t table = 2 * values.size();
    arena.resize(offset_ + table);
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i]) {
            arena += *values[i];
            present_ |= 1u << i;
        }
        const auto end = static_cast<std::uint32_t>(arena.size() - offset_ - table);
        arena[offset_ + 2 * i] = static_cast<char16_t>(end & 0xFFFF);
        arena[offset_ + 2 * i + 1] = static_cast<char16_t>(end >> 16);
    }
    length_ = arena.size() - offset_;
    std::sort(written_.begin(), written_.end(), NameBefore);
}

void CimObject::MoveTo(String& compacted) {
    const std::size_t offset = compacted.size();
    compacted += Packed();
    offset_ = offset;
}

std::u16string_view CimObject::Packed() const {
    return std::u16string_view(*arena_).substr(offset_, length_);
}

std::uint32_t CimObject::End(std::size_t property) const {
    const std::u16string_view packed = Packed();
    return packed[2 * property] | (static_cast<std::uint32_t>(packed[2 * property + 1]) << 16);
}

std::optional<std::u16string_view> CimObject::Value(std::size_t property) const {
    if ((present_ & (1u << property)) == 0) return std::nullopt;
    const std::uint32_t start = property == 0 ? 0 : End(property - 1);
    const std::size_t table = 2 * cimClass_->properties.size();
    return Packed().substr(table + start, End(property) - start);
}

std::optional<std::u16string_view> CimObject::Value(const CimProperty& property) const {
    return Value(IndexOf(*cimClass_, property));
}

CimRepository::Extent& CimRepository::ExtentOf(const CimClass& cimClass) {
    for (auto& [owner, extent] : classes_) {
        if (owner == &cimClass) return *extent;
    }
    return *classes_.emplace_back(&cimClass, std::make_unique<Extent>()).second;
}

const CimRepository::Extent* CimRepository::FindExtent(const CimClass& cimClass) const {
    for (const auto& [owner, extent] : classes_) {
        if (owner == &cimClass) return extent.get();
    }
    return nullptr;
}

const CimObject* CimRepository::Find(const CimClass& cimClass, std::u16string_view key) const {
    const Extent* extent = FindExtent(cimClass);
    if (extent == nullptr) return nullptr;
    const auto found = extent->byKey.find(host::UpperCase(String(key)));
    return found == extent->byKey.end() ? nullptr : &*extent->objects[found->second];
}

void CimRepository::Add(std::u16string_view className, const Values& values,
                        std::vector<CimWrittenProperty> written) {
    const CimClass& cimClass = RequireClass(className);
    if (cimClass.IsAssociation()) throw Invalid("use Associate for", className);
    std::vector<std::optional<String>> known(cimClass.properties.size());
    for (const auto& [name, value] : values) {
        const CimProperty* property = cimClass.Find(name);
        if (property == nullptr) {
            written.push_back({name, WrittenString(value)});
            continue;
        }
        if (!IsValidValue(*property, value)) throw Invalid("not a valid value for", name);
        known[IndexOf(cimClass, *property)] = value;
    }
    const auto& key = known[IndexOf(cimClass, cimClass.Key())];
    if (!key) throw Invalid("missing key of", className);
    Extent& extent = ExtentOf(cimClass);
    if (!extent.byKey.emplace(host::UpperCase(*key), extent.objects.size()).second) {
        throw Invalid("duplicate key", *key);
    }
    extent.objects.emplace_back(std::in_place, cimClass, known, std::move(written), extent.arena);
}

bool CimRepository::Remove(std::u16string_view className, std::u16string_view key) {
    const CimClass* cimClass = FindCimClass(className);
    if (cimClass == nullptr || cimClass->IsAssociation()) return false;
    Extent& extent = ExtentOf(*cimClass);
    const auto found = extent.byKey.find(host::UpperCase(String(key)));
    if (found == extent.byKey.end()) return false;
    Unlink(EndName(cimClass->name, key));
    extent.objects[found->second].reset();
    extent.byKey.erase(found);
    if (++extent.holes * 2 > extent.objects.size()) Compact(extent);
    return true;
}

void CimRepository::Compact(Extent& extent) {
    std::erase_if(extent.objects, [](const auto& object) { return !object; });
    String compacted;
    for (auto& object : extent.objects) object->MoveTo(compacted);
    extent.arena = std::move(compacted);
    extent.byKey.clear();
    for (std::size_t i = 0; i < extent.objects.size(); ++i) {
        extent.byKey.emplace(host::UpperCase(String(extent.objects[i]->Key())), i);
    }
    extent.holes = 0;
}

// Drops every link of one end, and each from the list of its other end.
void CimRepository::Unlink(const String& end) {
    const auto links = linksByEnd_.find(end);
    if (links == linksByEnd_.end()) return;
    for (const std::size_t index : links->second) {
        const Link& link = *links_[index];
        for (const String& other : {EndName(link.association->antecedent, link.antecedentKey),
                                    EndName(link.association->dependent, link.dependentKey)}) {
            if (other == end) continue;
            const auto otherLinks = linksByEnd_.find(other);
            std::erase(otherLinks->second, index);
            if (otherLinks->second.empty()) linksByEnd_.erase(otherLinks);
        }
        links_[index].reset();
        ++deadLinks_;
    }
    linksByEnd_.erase(links);
    if (deadLinks_ * 2 > links_.size()) CompactLinks();
}

void CimRepository::CompactLinks() {
    std::erase_if(links_, [](const auto& link) { return !link; });
    linksByEnd_.clear();
    for (std::size_t i = 0; i < links_.size(); ++i) IndexLink(i);
    deadLinks_ = 0;
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
    links_.push_back(Link{&association, String(antecedentKey), String(dependentKey)});
    IndexLink(links_.size() - 1);
}

void CimRepository::IndexLink(std::size_t link) {
    const Link& added = *links_[link];
    linksByEnd_[EndName(added.association->antecedent, added.antecedentKey)].push_back(link);
    linksByEnd_[EndName(added.association->dependent, added.dependentKey)].push_back(link);
}

std::vector<const CimObject*> CimRepository::Associators(const CimObject& object,
                                                         const CimClass& associationClass) const {
    const std::u16string_view key = object.Key();
    const String className = object.Class().name;
    std::vector<const CimObject*> found;
    const auto links = linksByEnd_.find(EndName(className, key));
    if (links == linksByEnd_.end()) return found;
    for (const std::size_t index : links->second) {
        const Link& link = *links_[index];
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

}  // namespace zt::world
