#include "ztusb/host/classes.h"

#include <algorithm>
#include <map>

#include "ztusb/host/exception.h"

namespace zt::host {
namespace {

std::map<String, std::vector<TComponentClass>>& Palette() {
    static std::map<String, std::vector<TComponentClass>> palette;
    return palette;
}

}  // namespace

TComponent::TComponent(TComponent* AOwner) : owner_(AOwner) {
    if (owner_ != nullptr) owner_->owned_.push_back(this);
}

TComponent::~TComponent() {
    while (!owned_.empty()) delete owned_.back();  // each one takes itself off the list
    if (owner_ != nullptr) std::erase(owner_->owned_, this);
}

TComponent* TComponent::Components(int index) const {
    if (index < 0 || index >= ComponentCount()) {
        throw Exception(u"Component index out of bounds");
    }
    return owned_[static_cast<std::size_t>(index)];
}

void RegisterComponents(const String& page, const std::vector<TComponentClass>& classes) {
    auto& onPage = Palette()[page];
    for (const TComponentClass& added : classes) {
        const bool listed = std::any_of(onPage.begin(), onPage.end(), [&](const auto& c) {
            return c.ClassName == added.ClassName;
        });
        if (!listed) onPage.push_back(added);
    }
}

std::vector<TComponentClass> PaletteComponents(const String& page) {
    const auto found = Palette().find(page);
    return found == Palette().end() ? std::vector<TComponentClass>{} : found->second;
}

}  // namespace zt::host
