#include "btmedia/ChannelOrder.h"

#include "ImporterBarsAndTone/Channels.h"

#include <cstdint>

namespace btmedia {

std::size_t FileChannelSource(std::size_t channels, std::size_t fileChannel) noexcept
{
    const bt::ChannelLayoutFacts* layout = bt::ChannelLayoutOfCount(static_cast<std::uint32_t>(channels));
    return layout != nullptr && fileChannel < layout->count ? layout->fileOrder[fileChannel] : fileChannel;
}

std::string HostChannelName(std::size_t channels, std::size_t channel)
{
    const bt::ChannelLayoutFacts* layout = bt::ChannelLayoutOfCount(static_cast<std::uint32_t>(channels));
    return layout != nullptr && channel < layout->count ? layout->names[channel] : std::to_string(channel + 1);
}

std::vector<std::string> HostChannelNames(std::size_t channels)
{
    std::vector<std::string> names;
    for (std::size_t i = 0; i < channels; ++i)
        names.push_back(HostChannelName(channels, i));
    return names;
}

} // namespace btmedia
