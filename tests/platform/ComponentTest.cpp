// Component ownership and free-notification: a freed component is forgotten by every component that
// referred to it, whichever way it was freed.
#include <gtest/gtest.h>

#include <memory>

#include "platform/smxComponent.h"

using namespace smx;

namespace {

// Holds a non-owning reference kept current by notification.
class Referrer : public TComponent {
public:
    using TComponent::TComponent;
    TComponent* ref = nullptr;
    int removals = 0;
    void SetRef(TComponent* c) {
        if (ref) ref->RemoveFreeNotification(this);
        ref = c;
        if (c) c->FreeNotification(this);
    }
    void Notification(TComponent* c, TOperation op) override {
        if (op == TOperation::opRemove) {
            ++removals;
            if (c == ref) ref = nullptr;
        }
        TComponent::Notification(c, op);
    }
};

class Counted : public TComponent {
public:
    Counted(TComponent* owner, int* counter) : TComponent(owner), counter_(counter) {}
    ~Counted() override { ++*counter_; }

private:
    int* counter_;
};

} // namespace

TEST(ComponentTest, OwnerFreesChildrenAndChildLeavesOwner) {
    int freed = 0;
    auto owner = std::make_unique<TComponent>();
    auto* a = new Counted(owner.get(), &freed);
    new Counted(owner.get(), &freed);
    a->SetName("First");
    EXPECT_EQ(owner->GetComponentCount(), 2);
    EXPECT_EQ(owner->FindComponent("first"), a);
    delete a;
    EXPECT_EQ(freed, 1);
    EXPECT_EQ(owner->GetComponentCount(), 1);
    owner.reset();
    EXPECT_EQ(freed, 2);
}

TEST(ComponentTest, FreeNotificationClearsReferenceOnEveryPath) {
    // Ownerless target held by unique_ptr.
    auto r = std::make_unique<Referrer>();
    auto target = std::make_unique<TComponent>();
    r->SetRef(target.get());
    target.reset();
    EXPECT_EQ(r->ref, nullptr);

    // Owned target freed with its owner.
    auto owner = std::make_unique<TComponent>();
    auto* t2 = new TComponent(owner.get());
    r->SetRef(t2);
    owner.reset();
    EXPECT_EQ(r->ref, nullptr);

    // The referrer dies first: the target must not notify a freed referrer later.
    auto t3 = std::make_unique<TComponent>();
    r->SetRef(t3.get());
    r.reset();
    t3.reset(); // ASan would catch a call into the freed referrer
}

TEST(ComponentTest, SiblingsHearOfRemovalThroughTheOwner) {
    auto owner = std::make_unique<TComponent>();
    auto* r = new Referrer(owner.get());
    auto* t = new TComponent(owner.get());
    r->ref = t; // a sibling reference without explicit registration, as form components have
    delete t;
    EXPECT_EQ(r->ref, nullptr);
}

TEST(ComponentTest, ChangingTheReferenceStopsOldNotifications) {
    auto r = std::make_unique<Referrer>();
    auto a = std::make_unique<TComponent>();
    auto b = std::make_unique<TComponent>();
    r->SetRef(a.get());
    r->SetRef(b.get());
    r->removals = 0;
    a.reset();
    EXPECT_EQ(r->removals, 0);
    EXPECT_EQ(r->ref, b.get());
}
