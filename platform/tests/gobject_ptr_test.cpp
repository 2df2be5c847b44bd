// Reference counting of zv::GObjectPtr on real GObjects: each way in takes
// or adopts exactly one reference and each way out drops exactly one.
#include "platform/gobject_ptr.h"

#include <gtest/gtest.h>

#include <type_traits>

namespace {

using Ptr = zv::GObjectPtr<GObject>;

static_assert(!std::is_copy_constructible_v<Ptr> && !std::is_copy_assignable_v<Ptr>);
static_assert(std::is_nothrow_move_constructible_v<Ptr> && std::is_nothrow_move_assignable_v<Ptr>);

guint Refs(gpointer object) {
    return g_atomic_int_get(&G_OBJECT(object)->ref_count);
}

// Sees an object finalized: the pointer is cleared by GObject when it goes.
class Watch {
public:
    explicit Watch(gpointer object) : object_(object) {
        g_object_add_weak_pointer(G_OBJECT(object_), &object_);
    }
    ~Watch() {
        if (object_) {
            g_object_remove_weak_pointer(G_OBJECT(object_), &object_);
        }
    }
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;
    bool Alive() const { return object_ != nullptr; }

private:
    gpointer object_;
};

GObject* NewObject() {
    return G_OBJECT(g_object_new(G_TYPE_OBJECT, nullptr));
}

// A fresh GInitiallyUnowned: its one reference is floating.
GObject* NewFloating() {
    return G_OBJECT(g_object_new(G_TYPE_INITIALLY_UNOWNED, nullptr));
}

TEST(GObjectPtr, AdoptionTakesNoReferenceAndDestructionDropsIt) {
    GObject* made = NewObject();
    Watch watch(made);
    {
        Ptr p(made);
        EXPECT_EQ(p.get(), made);
        EXPECT_TRUE(p);
        EXPECT_EQ(Refs(made), 1u);
    }
    EXPECT_FALSE(watch.Alive());
}

TEST(GObjectPtr, RefOnAnOwnedObjectAddsOneThatOutlivesTheOwner) {
    GObject* borrowed = NewObject();
    Watch watch(borrowed);
    {
        Ptr p = Ptr::Ref(borrowed);
        EXPECT_EQ(p.get(), borrowed);
        EXPECT_EQ(Refs(borrowed), 2u);
        EXPECT_FALSE(g_object_is_floating(borrowed));
        g_object_unref(borrowed);  // the original owner lets go
        EXPECT_TRUE(watch.Alive());
        EXPECT_EQ(Refs(borrowed), 1u);
    }
    EXPECT_FALSE(watch.Alive());
}

TEST(GObjectPtr, RefOnAFloatingObjectSinksItInsteadOfAddingOne) {
    GObject* floating = NewFloating();
    ASSERT_TRUE(g_object_is_floating(floating));
    Watch watch(floating);
    {
        Ptr p = Ptr::Ref(floating);
        EXPECT_FALSE(g_object_is_floating(floating));
        EXPECT_EQ(Refs(floating), 1u);
    }
    EXPECT_FALSE(watch.Alive());
}

TEST(GObjectPtr, RefAndShareOfNothingAreEmpty) {
    EXPECT_FALSE(Ptr::Ref(nullptr));
    EXPECT_FALSE(Ptr().share());
    EXPECT_EQ(Ptr().get(), nullptr);
}

TEST(GObjectPtr, ShareGivesASecondOwnerWithItsOwnReference) {
    GObject* made = NewObject();
    Watch watch(made);
    Ptr first(made);
    {
        Ptr second = first.share();
        EXPECT_EQ(second.get(), made);
        EXPECT_EQ(first.get(), made);
        EXPECT_EQ(Refs(made), 2u);
    }
    EXPECT_TRUE(watch.Alive());
    EXPECT_EQ(Refs(made), 1u);
    Ptr third = first.share();
    first.reset();
    EXPECT_TRUE(watch.Alive());
    third.reset();
    EXPECT_FALSE(watch.Alive());
}

// Two fresh objects, each with the one reference its creation gave.
class GObjectPtrPair : public ::testing::Test {
protected:
    GObject* a_ = NewObject();
    GObject* b_ = NewObject();
    Watch watchA_{a_}, watchB_{b_};
};

TEST_F(GObjectPtrPair, MovesHandOverTheReferenceWithoutCounting) {
    Ptr source(a_);
    Ptr moved(std::move(source));
    EXPECT_FALSE(source);
    EXPECT_EQ(moved.get(), a_);
    EXPECT_EQ(Refs(a_), 1u);

    // Assigning over a holder drops what it held.
    Ptr other(b_);
    other = std::move(moved);
    EXPECT_FALSE(watchB_.Alive());
    EXPECT_EQ(other.get(), a_);
    EXPECT_EQ(Refs(a_), 1u);

    // Moving onto itself keeps the reference.
    Ptr& alias = other;
    other = std::move(alias);
    EXPECT_EQ(other.get(), a_);
    EXPECT_EQ(Refs(a_), 1u);

    other = Ptr();
    EXPECT_FALSE(watchA_.Alive());
}

TEST_F(GObjectPtrPair, ResetDropsTheOldReferenceAndAdoptsTheNew) {
    Ptr p(a_);
    p.reset(b_);
    EXPECT_FALSE(watchA_.Alive());
    EXPECT_EQ(p.get(), b_);
    EXPECT_EQ(Refs(b_), 1u);
    p.reset();
    EXPECT_FALSE(watchB_.Alive());
    EXPECT_FALSE(p);
    p.reset();  // resetting an empty pointer is harmless
    EXPECT_FALSE(p);
}

}  // namespace
