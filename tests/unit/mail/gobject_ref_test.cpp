// The GObject holder takes or adds references as asked and gives each back exactly once.

#include "gobject_ref.h"

#include <gtest/gtest.h>

namespace mail {
namespace {

// A second reference of the test's own keeps the object alive so its count can be read.
struct Probe {
    GObject* object = G_OBJECT(g_object_new(G_TYPE_OBJECT, nullptr));
    Probe() = default;
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;
    ~Probe() { g_object_unref(object); }
    guint count() const { return object->ref_count; }
};

TEST(GObjectRef, adoptTakesOverRetainAddsAndEachReferenceIsDroppedOnce)
{
    Probe probe;
    {
        auto retained = GObjectRef<GObject>::retain(probe.object);
        EXPECT_EQ(probe.count(), 2u);
        {
            auto copy = retained;
            EXPECT_EQ(probe.count(), 3u);
            auto moved = std::move(copy);
            EXPECT_EQ(probe.count(), 3u);
            EXPECT_FALSE(copy);
            EXPECT_EQ(moved.get(), probe.object);
        }
        EXPECT_EQ(probe.count(), 2u);
        g_object_ref(probe.object);
        auto adopted = GObjectRef<GObject>::adopt(probe.object);
        EXPECT_EQ(probe.count(), 3u);
        adopted = retained; // drops the adopted reference, adds one for the copy
        EXPECT_EQ(probe.count(), 3u);
        GObject* released = adopted.release();
        EXPECT_FALSE(adopted);
        EXPECT_EQ(probe.count(), 3u);
        g_object_unref(released);
    }
    EXPECT_EQ(probe.count(), 1u);
    auto empty = GObjectRef<GObject>::retain(nullptr);
    EXPECT_FALSE(empty);
    empty.reset();
}

} // namespace
} // namespace mail
