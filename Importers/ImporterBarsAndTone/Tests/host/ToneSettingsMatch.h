#pragma once
// Settings records compared as the host keeps them, all 72 bytes, and printed
// field by field when they differ.

#include "host/ToneSettings.h"

#include <cstring>
#include <ostream>

namespace bt {

inline bool operator==(const ToneSettings& a, const ToneSettings& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

inline void PrintTo(const ToneSettings& s, std::ostream* os)
{
    *os << "{version " << s.version << ", audio " << s.audioFrameRate << " Hz type " << s.audioChannelType << " × "
        << s.audioChannelCount << ", identify " << int{s.identifyChannels} << " format " << int{s.identifierFormat}
        << ", " << s.frequency << " Hz at " << s.amplitude << ", " << s.frameWidth << "×" << s.frameHeight << " par "
        << s.par.GetNumerator() << "/" << s.par.GetDenominator() << ", " << s.videoFrameRate << " ticks drop "
        << int{s.dropFrame} << ", colour " << int{s.colorSpaceType} << ", preset " << int{s.preset} << "}";
}

} // namespace bt
