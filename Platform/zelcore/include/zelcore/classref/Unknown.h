#pragma once
// Class references: objects held by shared ownership that can be asked for
// an interface by its 128-bit identifier, as a host asks a plug-in object.

#include "barsandtone/PlatformApi.h"

#include <array>
#include <cstdint>
#include <memory>
#include <utility>

namespace zelcore::classref {

/// A 128-bit interface identifier in the usual little-endian GUID byte layout.
struct InterfaceId {
    std::array<std::uint8_t, 16> bytes{};

    /// From the written form {d1-d2-d3-d4[0]d4[1]-d4[2..7]}.
    static constexpr InterfaceId FromGuid(std::uint32_t d1, std::uint16_t d2, std::uint16_t d3,
                                          std::array<std::uint8_t, 8> d4) noexcept
    {
        InterfaceId id;
        for (int i = 0; i < 4; ++i)
            id.bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(d1 >> (8 * i));
        for (int i = 0; i < 2; ++i) {
            id.bytes[static_cast<std::size_t>(4 + i)] = static_cast<std::uint8_t>(d2 >> (8 * i));
            id.bytes[static_cast<std::size_t>(6 + i)] = static_cast<std::uint8_t>(d3 >> (8 * i));
        }
        for (std::size_t i = 0; i < 8; ++i)
            id.bytes[8 + i] = d4[i];
        return id;
    }

    friend constexpr bool operator==(const InterfaceId&, const InterfaceId&) noexcept = default;
};

class BT_PLATFORM_API UnknownBase : public std::enable_shared_from_this<UnknownBase> {
public:
    UnknownBase() noexcept = default;
    UnknownBase(const UnknownBase&) = delete;
    UnknownBase& operator=(const UnknownBase&) = delete;
    virtual ~UnknownBase();

    /// The object as the interface with this identifier, or null when it
    /// does not offer it. Implementations compare all 16 bytes.
    [[nodiscard]] virtual void* QueryInterface(const InterfaceId& id) noexcept;

    /// Shared ownership of this object; empty when it is not held by a shared_ptr.
    [[nodiscard]] std::shared_ptr<UnknownBase> GetSharedFromThis() noexcept;
};

class BT_PLATFORM_API Unknown : public virtual UnknownBase {
public:
    ~Unknown() override;
};

/// A class-reference handle: an interface pointer together with the shared
/// ownership of the object behind it.
template <typename I>
class ClassRef {
public:
    ClassRef() noexcept = default;
    ClassRef(I* iface, std::shared_ptr<UnknownBase> owner) noexcept
        : mInterface(iface), mOwner(iface != nullptr ? std::move(owner) : nullptr) {}

    [[nodiscard]] I* Get() const noexcept { return mInterface; }
    I* operator->() const noexcept { return mInterface; }
    explicit operator bool() const noexcept { return mInterface != nullptr; }
    [[nodiscard]] const std::shared_ptr<UnknownBase>& Owner() const noexcept { return mOwner; }

    /// The same object as interface J (by J::kInterfaceId), or an empty handle.
    template <typename J>
    [[nodiscard]] ClassRef<J> Query() const noexcept
    {
        if (!mOwner)
            return {};
        return ClassRef<J>(static_cast<J*>(mOwner->QueryInterface(J::kInterfaceId)), mOwner);
    }

    void Reset() noexcept
    {
        mInterface = nullptr;
        mOwner.reset();
    }

private:
    I* mInterface = nullptr;
    std::shared_ptr<UnknownBase> mOwner;
};

} // namespace zelcore::classref
