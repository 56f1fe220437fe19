#include "zelcore/utility/RefCountedObjectWithWeakPtr.h"

#include <mutex>

namespace zelcore::utility {

// What a weak key points to: the object while it lives, null afterwards. The
// mutex orders Lock against the last release, so Lock never revives an
// object whose count has reached zero.
class WeakAnchor {
public:
    std::mutex mutex;
    const RefCountedObjectWithWeakPtr* object = nullptr;
};

RefCountedObjectWithWeakPtr::RefCountedObjectWithWeakPtr() : mAnchor(std::make_shared<WeakAnchor>())
{
    mAnchor->object = this;
}

RefCountedObjectWithWeakPtr::~RefCountedObjectWithWeakPtr()
{
    std::lock_guard lock(mAnchor->mutex);
    mAnchor->object = nullptr;
}

void RefCountedObjectWithWeakPtr::AddUseCount() const noexcept { mUseCount.fetch_add(1, std::memory_order_relaxed); }

void RefCountedObjectWithWeakPtr::ReleaseUseCount() const noexcept
{
    if (mUseCount.fetch_sub(1, std::memory_order_acq_rel) != 1)
        return;
    {
        std::lock_guard lock(mAnchor->mutex);
        if (mUseCount.load(std::memory_order_acquire) != 0)
            return; // a Lock took a count before the key was cleared
        mAnchor->object = nullptr;
    }
    const_cast<RefCountedObjectWithWeakPtr*>(this)->DestructOnMainThread();
}

std::int32_t RefCountedObjectWithWeakPtr::GetUseCount() const noexcept
{
    return mUseCount.load(std::memory_order_relaxed);
}

IntrusivePtr<RefCountedObjectWithWeakPtr> RefCountedObjectWithWeakPtr::Lock(const WeakKey& key) noexcept
{
    if (!key)
        return {};
    std::lock_guard lock(key->mutex);
    const RefCountedObjectWithWeakPtr* object = key->object;
    if (object == nullptr)
        return {};
    std::int32_t count = object->mUseCount.load(std::memory_order_relaxed);
    while (count > 0)
        if (object->mUseCount.compare_exchange_weak(count, count + 1, std::memory_order_acq_rel))
            return IntrusivePtr<RefCountedObjectWithWeakPtr>::Adopt(const_cast<RefCountedObjectWithWeakPtr*>(object));
    return {};
}

void RefCountedObjectWithWeakPtr::DestructOnMainThread() noexcept { delete this; }

} // namespace zelcore::utility
