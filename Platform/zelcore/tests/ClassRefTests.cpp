#include "zelcore/classref/Unknown.h"
#include "zelcore/memory/MemoryRecycler.h"

#include <gtest/gtest.h>

using namespace zelcore::classref;

namespace {

class IGreeter : public Unknown {
public:
    static constexpr InterfaceId kInterfaceId =
        InterfaceId::FromGuid(0x9834A424, 0x22D7, 0x4E14, {0x8F, 0x9A, 0x6E, 0x0C, 0x19, 0x49, 0x34, 0xD2});
    virtual int Greet() const = 0;
};

class IOther : public Unknown {
public:
    static constexpr InterfaceId kInterfaceId = InterfaceId::FromGuid(1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11});
};

class Greeter final : public IGreeter {
public:
    int Greet() const override { return 7; }
    void* QueryInterface(const InterfaceId& id) noexcept override
    {
        return id == IGreeter::kInterfaceId ? static_cast<IGreeter*>(this) : nullptr;
    }
};

} // namespace

TEST(InterfaceId, HoldsTheLittleEndianGuidLayout)
{
    const std::array<std::uint8_t, 16> expected{0x24, 0xA4, 0x34, 0x98, 0xD7, 0x22, 0x14, 0x4E,
                                                0x8F, 0x9A, 0x6E, 0x0C, 0x19, 0x49, 0x34, 0xD2};
    EXPECT_EQ(IGreeter::kInterfaceId.bytes, expected);
}

TEST(ClassRef, QueryAnswersOnlyTheOfferedInterface)
{
    auto object = std::allocate_shared<Greeter>(zelcore::memory::RecyclerAllocator<Greeter>());
    ClassRef<Unknown> handle(object.get(), object);
    const ClassRef<IGreeter> greeter = handle.Query<IGreeter>();
    ASSERT_TRUE(greeter);
    EXPECT_EQ(greeter->Greet(), 7);
    EXPECT_EQ(greeter.Owner(), object->GetSharedFromThis());
    EXPECT_FALSE(handle.Query<IOther>());
    EXPECT_FALSE(ClassRef<Unknown>().Query<IGreeter>());
}

TEST(ClassRef, HandleKeepsTheObjectAlive)
{
    std::weak_ptr<UnknownBase> watch;
    ClassRef<IGreeter> kept;
    {
        auto object = std::make_shared<Greeter>();
        watch = object;
        kept = ClassRef<Unknown>(object.get(), object).Query<IGreeter>();
    }
    EXPECT_FALSE(watch.expired());
    kept.Reset();
    EXPECT_TRUE(watch.expired());
}
