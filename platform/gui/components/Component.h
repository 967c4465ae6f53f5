// TComponent: a named object that may own others. An owner frees the
// components it owns when it is destroyed (the last made first) and finds
// them by name; names are unique among the components of one owner,
// compared without case. Components are made owned with NewComponent, or
// held by a std::unique_ptr when they have no owner.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Exceptions.h"
#include "Object.h"

class EComponentError : public Exception {
    using Exception::Exception;
};

// An operation the component's state does not allow ("Cannot make a visible
// window modal").
class EInvalidOperation : public Exception {
    using Exception::Exception;
};

// The plain event of every component: who sent it.
using TNotifyEvent = std::function<void(TObject* Sender)>;

class TComponent : public TObject {
public:
    TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;
    ~TComponent() override;

    std::string ClassName() const override { return "TComponent"; }

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    // Raises EComponentError "A component named %s already exists" when
    // another component of the same owner has the name.
    void SetName(const std::string& name);

    // The owned component with this name (without case), or none.
    TComponent* FindComponent(const std::string& name) const;
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const { return components_.at(index).get(); }

    // Takes ownership of component, which must have no owner yet.
    void InsertComponent(std::unique_ptr<TComponent> component);
    // Frees this component through its owner; only for owned components.
    void Free();

protected:
    // Frees the owned components, the last made first. Owners whose
    // components live inside their own window call it first in their
    // destructor, so the components go while the window still exists.
    void DestroyComponents();

private:
    TComponent* owner_ = nullptr;
    std::string name_;
    std::vector<std::unique_ptr<TComponent>> components_;
};

// Makes a T owned by owner; the owner frees it (or Free does, earlier).
template <class T, class... Args>
T* NewComponent(TComponent& owner, Args&&... args)
{
    auto component = std::make_unique<T>(std::forward<Args>(args)...);
    T* made = component.get();
    owner.InsertComponent(std::move(component));
    return made;
}
