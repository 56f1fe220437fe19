#include "zelcore/utility/RefCountedObjectWithWeakPtr.h"

#include <gtest/gtest.h>

using namespace zelcore::utility;

namespace {
class Counted : public RefCountedObjectWithWeakPtr {
public:
    explicit Counted(bool* destroyed) : mDestroyed(destroyed) {}
    ~Counted() override { *mDestroyed = true; }

private:
    bool* mDestroyed;
};
} // namespace

TEST(RefCounted, LastReleaseDestroysAndClearsTheWeakKey)
{
    bool destroyed = false;
    auto* object = new Counted(&destroyed);
    object->AddUseCount();
    const auto key = object->GetWeakKey();
    {
        IntrusivePtr<Counted> strong = Lock<Counted>(key);
        ASSERT_TRUE(strong);
        EXPECT_EQ(object->GetUseCount(), 2);
    }
    EXPECT_EQ(object->GetUseCount(), 1);
    object->ReleaseUseCount();
    EXPECT_TRUE(destroyed);
    EXPECT_FALSE(RefCountedObjectWithWeakPtr::Lock(key));
}

TEST(RefCounted, LockedReferenceOutlivesTheOwnersRelease)
{
    bool destroyed = false;
    IntrusivePtr<Counted> owner(new Counted(&destroyed));
    IntrusivePtr<Counted> locked = Lock<Counted>(owner->GetWeakKey());
    owner.Reset();
    EXPECT_FALSE(destroyed);
    locked.Reset();
    EXPECT_TRUE(destroyed);
}

TEST(RefCounted, EmptyKeyLocksToNull) { EXPECT_FALSE(RefCountedObjectWithWeakPtr::Lock(nullptr)); }
