#pragma once
// Intrusive reference counting with weak keys. An object starts with no use
// count; holders add and release counts, and the last release destroys it.
// A weak key outlives the object and turns back into a strong reference
// (Lock) only while the object is alive. [any thread]

#include "barsandtone/PlatformApi.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <utility>

namespace zelcore::utility {

class WeakAnchor;

template <typename T>
class IntrusivePtr;

class BT_PLATFORM_API RefCountedObjectWithWeakPtr {
public:
    using WeakKey = std::shared_ptr<WeakAnchor>;

    RefCountedObjectWithWeakPtr();
    RefCountedObjectWithWeakPtr(const RefCountedObjectWithWeakPtr&) = delete;
    RefCountedObjectWithWeakPtr& operator=(const RefCountedObjectWithWeakPtr&) = delete;
    virtual ~RefCountedObjectWithWeakPtr();

    void AddUseCount() const noexcept;
    /// The last release clears the weak key, then destroys the object.
    void ReleaseUseCount() const noexcept;
    [[nodiscard]] std::int32_t GetUseCount() const noexcept;

    [[nodiscard]] WeakKey GetWeakKey() const noexcept { return mAnchor; }
    /// A strong reference to the object behind the key, or null once it has gone.
    [[nodiscard]] static IntrusivePtr<RefCountedObjectWithWeakPtr> Lock(const WeakKey& key) noexcept;

protected:
    /// How the last release destroys the object.
    virtual void DestructOnMainThread() noexcept;

private:
    mutable std::atomic<std::int32_t> mUseCount{0};
    WeakKey mAnchor;
};

/// A strong reference: one use count for as long as it holds the object.
template <typename T>
class IntrusivePtr {
public:
    IntrusivePtr() noexcept = default;
    IntrusivePtr(std::nullptr_t) noexcept {}
    explicit IntrusivePtr(T* object) noexcept : mObject(object)
    {
        if (mObject != nullptr)
            mObject->AddUseCount();
    }
    /// Takes over a use count already added by the caller.
    static IntrusivePtr Adopt(T* object) noexcept
    {
        IntrusivePtr p;
        p.mObject = object;
        return p;
    }
    IntrusivePtr(const IntrusivePtr& other) noexcept : IntrusivePtr(other.mObject) {}
    IntrusivePtr(IntrusivePtr&& other) noexcept : mObject(std::exchange(other.mObject, nullptr)) {}
    template <typename U>
    IntrusivePtr(const IntrusivePtr<U>& other) noexcept : IntrusivePtr(other.Get()) {}
    IntrusivePtr& operator=(IntrusivePtr other) noexcept
    {
        std::swap(mObject, other.mObject);
        return *this;
    }
    ~IntrusivePtr() { Reset(); }

    void Reset() noexcept
    {
        if (T* object = std::exchange(mObject, nullptr))
            object->ReleaseUseCount();
    }
    [[nodiscard]] T* Get() const noexcept { return mObject; }
    T* operator->() const noexcept { return mObject; }
    T& operator*() const noexcept { return *mObject; }
    explicit operator bool() const noexcept { return mObject != nullptr; }
    friend bool operator==(const IntrusivePtr& a, const IntrusivePtr& b) noexcept { return a.mObject == b.mObject; }

private:
    T* mObject = nullptr;
};

/// Lock for a key of an object known to be a T (null when it is not).
template <typename T>
[[nodiscard]] IntrusivePtr<T> Lock(const RefCountedObjectWithWeakPtr::WeakKey& key) noexcept
{
    IntrusivePtr<RefCountedObjectWithWeakPtr> strong = RefCountedObjectWithWeakPtr::Lock(key);
    return IntrusivePtr<T>(dynamic_cast<T*>(strong.Get()));
}

} // namespace zelcore::utility
