#pragma once
// The sound streams of a movie: one track of all channels, or one mono
// track per channel, each with its encoder, in the file's channel order and
// with the layout declared.

#include "btmedia/AvSupport.h"
#include "MovieOutput.h"
#include "btmedia/MovieWriter.h"

#include <string>
#include <vector>

namespace btmedia {

/// The sound coding a spec gets; throws std::invalid_argument for one the
/// kind lacks, or whose codec cannot carry the clip's sound (MP2's two
/// channels, SMPTE 302M's even counts at 48 kHz).
[[nodiscard]] const SoundCoding& ChooseSoundCoding(const MovieSpec& spec);

class SoundTracks {
public:
    /// Opens the encoders and adds their streams. Throws std::invalid_argument
    /// for samples the kind cannot carry.
    SoundTracks(const MovieSpec& spec, MovieOutput& output);

    /// Samples per request the encoders need (each but the last exactly
    /// this many), or 0 when any count will do.
    [[nodiscard]] int FrameSize() const noexcept { return mFrameSize; }
    [[nodiscard]] const std::string& Label() const noexcept { return mLabel; }

    /// Encodes `count` samples at `position` of the host's channels and
    /// writes what the encoders give back.
    void Encode(std::int64_t position, int count, const float* const* hostChannels);
    /// Drains the encoders at the end.
    void Finish();

private:
    struct Track {
        av::CodecPtr codec;
        AVStream* stream = nullptr;
        std::vector<int> hostChannels; ///< file order
    };
    void Drain(Track& track, AVFrame* frame);

    const MovieSpec& mSpec;
    MovieOutput& mOutput;
    bool mFinalHeader = false; ///< the container takes the encoder's closing stream header
    std::vector<Track> mTracks;
    av::PacketPtr mPacket;
    int mFrameSize = 0;
    std::string mLabel;
};

} // namespace btmedia
