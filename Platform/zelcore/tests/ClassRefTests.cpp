#include "zelcore/classref/Unknown.h"

#include <gtest/gtest.h>

using namespace zelcore::classref;

namespace {

class IGreeter : public Unknown {
public:
    static constexpr InterfaceId kInterfaceId =
        InterfaceId::FromGuid(0x9834A424, 0x22D7, 0x4E14, {0x8F, 0x9A, 0x6E, 0x0C, 0x19, 0x49, 0x34, 0xD2});
};

} // namespace

TEST(InterfaceId, HoldsTheLittleEndianGuidLayout)
{
    const std::array<std::uint8_t, 16> expected{0x24, 0xA4, 0x34, 0x98, 0xD7, 0x22, 0x14, 0x4E,
                                                0x8F, 0x9A, 0x6E, 0x0C, 0x19, 0x49, 0x34, 0xD2};
    EXPECT_EQ(IGreeter::kInterfaceId.bytes, expected);
}
