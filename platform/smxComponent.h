// The object root and the component model: owner, name, owned children and free-notification.
// A component either has an owner (which deletes it) or is held by a unique_ptr, never both.
// When a component dies, every component that registered through FreeNotification, and its owner
// with all of the owner's children, get Notification(c, opRemove) and drop their references.
#pragma once

#include <string>
#include <string_view>
#include <typeinfo>
#include <vector>

namespace smx {

/// Declares the class name that messages print (e.g. "TCtrData").
#define SMX_CLASSNAME(Name)                                                                                  \
    std::string_view ClassName() const override { return #Name; }

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = default;
    TObject& operator=(const TObject&) = default;
    virtual ~TObject() = default;
    virtual std::string_view ClassName() const { return "TObject"; }
};

/// dynamic_cast<T*>(Obj) for a list whose objects are nearly always exactly a T: the exact type is
/// compared first (one look at the object), the walk through the class hierarchy only otherwise.
/// Loops over every object of a large structure pay for nothing else.
template <typename T> T* ObjectAs(TObject* Obj) {
    if (Obj && typeid(*Obj) == typeid(T)) return static_cast<T*>(Obj);
    return dynamic_cast<T*>(Obj);
}

enum class TOperation { opInsert, opRemove };

class TComponent : public TObject {
public:
    explicit TComponent(TComponent* AOwner = nullptr);
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;
    /// Notifies every registered component and the owner, then frees the owned components.
    ~TComponent() override;
    SMX_CLASSNAME(TComponent)

    TComponent* GetOwner() const { return owner_; }
    const std::string& GetName() const { return name_; }
    void SetName(std::string_view name) { name_ = name; }

    int GetComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* GetComponent(int index) const { return components_.at(static_cast<std::size_t>(index)); }
    /// The owned component of that name (case-insensitive), or nullptr.
    TComponent* FindComponent(std::string_view name) const;

    /// AComponent is told (Notification opRemove) when this component is destroyed, and the other way round.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    /// Called when a component this one refers to goes; overrides drop their references, then call this.
    virtual void Notification(TComponent* AComponent, TOperation Operation);

    /// Design-time state: never set in this program (components run as at run time).
    bool IsDesigning() const { return false; }
    /// True once the destructor has begun.
    bool IsDestroying() const { return destroying_; }

private:
    void InsertComponent(TComponent* c);
    void RemoveComponent(TComponent* c);

    TComponent* owner_ = nullptr;
    std::string name_;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    bool destroying_ = false;
};

} // namespace smx
