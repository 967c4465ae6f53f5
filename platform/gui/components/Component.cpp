#include "components/Component.h"

#include <algorithm>
#include <cassert>
#include <strings.h>

#include "Format.h"

namespace {

bool SameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && ::strcasecmp(a.c_str(), b.c_str()) == 0;
}

} // namespace

TComponent::TComponent() = default;

TComponent::~TComponent()
{
    DestroyComponents();
}

void TComponent::DestroyComponents()
{
    // Each leaves the list before it is destroyed, so look-ups made while it
    // goes never see it.
    while (!components_.empty()) {
        std::unique_ptr<TComponent> last = std::move(components_.back());
        components_.pop_back();
        last->owner_ = nullptr;
    }
}

void TComponent::SetName(const std::string& name)
{
    bool renamesItself = SameName(name, name_);
    if (owner_ && !name.empty() && !renamesItself && owner_->FindComponent(name))
        throw EComponentError(Format("A component named %s already exists", {name}));
    name_ = name;
}

TComponent* TComponent::FindComponent(const std::string& name) const
{
    if (name.empty())
        return nullptr;
    for (const auto& component : components_)
        if (SameName(component->name_, name))
            return component.get();
    return nullptr;
}

void TComponent::InsertComponent(std::unique_ptr<TComponent> component)
{
    assert(component && !component->owner_);
    if (!component->name_.empty() && FindComponent(component->name_))
        throw EComponentError(Format("A component named %s already exists", {component->name_}));
    component->owner_ = this;
    components_.push_back(std::move(component));
}

void TComponent::Free()
{
    assert(owner_ && "only owned components are freed through their owner");
    auto& siblings = owner_->components_;
    auto it = std::find_if(siblings.begin(), siblings.end(), [this](const auto& c) { return c.get() == this; });
    std::unique_ptr<TComponent> self = std::move(*it);
    siblings.erase(it);
    owner_ = nullptr;
    // self goes out of scope here and destroys this component.
}
