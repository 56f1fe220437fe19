#include "GopTimecode.h"

namespace btmedia {

namespace {

constexpr std::uint8_t kGopStartCode = 0xB8;

/// Where the first GOP header's fields start, or `size` for none.
std::size_t GopFields(const std::uint8_t* data, std::size_t size) noexcept
{
    for (std::size_t i = 0; i + 8 <= size; ++i)
        if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1 && data[i + 3] == kGopStartCode)
            return i + 4;
    return size;
}

} // namespace

bool StampGopTimecode(AVPacket& packet, const StartTimecode& tc)
{
    const auto size = static_cast<std::size_t>(packet.size);
    const std::size_t at = GopFields(packet.data, size);
    if (at == size)
        return false;
    // Packets of a repeated GOP share their data: this one gets its own.
    av::Check(av_packet_make_writable(&packet), "cannot rewrite a picture's timecode");
    // drop_frame_flag(1) hours(5) minutes(6) marker(1) seconds(6) pictures(6),
    // then closed_gop and broken_link, which stay.
    const std::uint32_t code = (tc.dropFrame ? 1u : 0u) << 24 | static_cast<std::uint32_t>(tc.hours & 31) << 19 |
                               static_cast<std::uint32_t>(tc.minutes & 63) << 13 | 1u << 12 |
                               static_cast<std::uint32_t>(tc.seconds & 63) << 6 | static_cast<std::uint32_t>(tc.frames & 63);
    std::uint8_t* field = packet.data + at;
    const std::uint32_t word = static_cast<std::uint32_t>(field[0]) << 24 | static_cast<std::uint32_t>(field[1]) << 16 |
                               static_cast<std::uint32_t>(field[2]) << 8 | field[3];
    const std::uint32_t stamped = code << 7 | (word & 0x7Fu);
    for (int b = 0; b < 4; ++b)
        field[b] = static_cast<std::uint8_t>(stamped >> (24 - 8 * b));
    return true;
}

} // namespace btmedia
