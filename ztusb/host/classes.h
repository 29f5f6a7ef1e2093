#pragma once
// The framework's object and component classes and its component palette.

#include <functional>
#include <vector>

#include "ztusb/export.h"
#include "ztusb/host/text.h"

namespace zt::host {

class ZT_API TObject {
public:
    virtual ~TObject() = default;
};

// A component frees the components it owns when it is destroyed, newest first. A component
// with an owner must be created with new: the owner deletes it.
class ZT_API TComponent : public TObject {
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }
    const String& Name() const { return name_; }
    void SetName(const String& name) { name_ = name; }
    int ComponentCount() const { return static_cast<int>(owned_.size()); }
    TComponent* Components(int index) const;

private:
    TComponent* owner_;
    String name_;
    std::vector<TComponent*> owned_;
};

// What the palette knows of a component class: its name and how to make one.
struct TComponentClass {
    String ClassName;
    std::function<TComponent*(TComponent* AOwner)> Create;
};

template <typename Component>
TComponentClass ComponentClassOf(const String& className) {
    return {className, [](TComponent* owner) -> TComponent* { return new Component(owner); }};
}

// Adds the classes to a palette page; a class already on that page is not added twice.
ZT_API void RegisterComponents(const String& page, const std::vector<TComponentClass>& classes);
// The classes on a palette page, in the order they were added (none for an unknown page).
ZT_API std::vector<TComponentClass> PaletteComponents(const String& page);

}  // namespace zt::host
