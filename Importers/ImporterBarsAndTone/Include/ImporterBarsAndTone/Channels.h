#pragma once
// The sound layouts of bars clips, one row each: the channel-type code a
// settings record holds, the channel count, the host's channel order and the
// names people read, and where each channel goes in a file of the usual
// order. The module and its hosts walk the same rows.

#include <array>
#include <cstddef>
#include <cstdint>

namespace bt {

/// The channel-type code of the settings record (byte 8).
enum class ChannelType : std::uint32_t { Mono = 1, Stereo = 2, Surround51 = 3 };

[[nodiscard]] constexpr std::uint32_t RecordValue(ChannelType type) noexcept
{
    return static_cast<std::uint32_t>(type);
}

/// The type a clip's channel count gives: stereo for two, 5.1 for six, mono
/// for any other count (selector 37 recomputes it so).
[[nodiscard]] constexpr ChannelType ChannelTypeForCount(std::uint32_t channelCount) noexcept
{
    switch (channelCount) {
    case 2: return ChannelType::Stereo;
    case 6: return ChannelType::Surround51;
    default: return ChannelType::Mono;
    }
}

inline constexpr std::size_t kMostChannels = 6;

struct ChannelLayoutFacts {
    ChannelType type;
    std::uint32_t count;
    const char* token; ///< short lower-case name for command lines and reports
    /// The host's channels in its order, as people name them.
    std::array<const char*, kMostChannels> names;
    /// For each channel of a file in the usual order (WAVEFORMATEXTENSIBLE,
    /// FFmpeg's layouts: L R C LFE Ls Rs), the host channel it carries.
    std::array<std::uint8_t, kMostChannels> fileOrder;
};

// The host orders 5.1 as L, R, Ls, Rs, C, LFE.
// clang-format off
inline constexpr std::array<ChannelLayoutFacts, 3> kChannelLayouts{{
    {ChannelType::Mono,       1, "mono",   {"Mono"},                          {0}},
    {ChannelType::Stereo,     2, "stereo", {"L", "R"},                        {0, 1}},
    {ChannelType::Surround51, 6, "5.1",    {"L", "R", "Ls", "Rs", "C", "LFE"}, {0, 1, 4, 5, 2, 3}},
}};
// clang-format on

/// Rows are in the order of their codes, from 1, so a code less one is its row's index.
constexpr bool ChannelRowsFollowRecordValues() noexcept
{
    for (std::size_t i = 0; i < kChannelLayouts.size(); ++i)
        if (RecordValue(kChannelLayouts[i].type) != i + 1)
            return false;
    return true;
}
static_assert(ChannelRowsFollowRecordValues());

[[nodiscard]] constexpr const ChannelLayoutFacts& FactsOf(ChannelType type) noexcept
{
    return kChannelLayouts[RecordValue(type) - 1];
}

/// The row of exactly `count` channels; null when no layout has that many.
[[nodiscard]] constexpr const ChannelLayoutFacts* ChannelLayoutOfCount(std::uint32_t count) noexcept
{
    for (const ChannelLayoutFacts& layout : kChannelLayouts)
        if (layout.count == count)
            return &layout;
    return nullptr;
}

/// Each file order is a permutation of its layout's channels.
constexpr bool FileOrdersArePermutations() noexcept
{
    for (const ChannelLayoutFacts& layout : kChannelLayouts) {
        std::array<bool, kMostChannels> seen{};
        for (std::uint32_t i = 0; i < layout.count; ++i) {
            if (layout.fileOrder[i] >= layout.count || seen[layout.fileOrder[i]] || layout.names[i] == nullptr)
                return false;
            seen[layout.fileOrder[i]] = true;
        }
    }
    return true;
}
static_assert(FileOrdersArePermutations());

} // namespace bt
