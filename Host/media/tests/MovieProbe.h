#pragma once
// Test helper: a movie or image file read back by check's reader (whose own
// tests hold it to files of known codes), independently of the writer: what a
// player would see.

#include "btcheck/MediaFile.h"

#include <array>
#include <string>
#include <vector>

namespace btmedia::probe {

struct Movie {
    double durationSeconds = 0;   ///< container duration
    std::string videoCodec;       ///< "ffv1", "prores"
    std::string pixelFormat;      ///< "yuv444p10le"
    btcheck::ColourTags tags;     ///< H.273 codes; range 1 = narrow
    [[nodiscard]] std::array<int, 4> ColourTags() const { return {tags.primaries, tags.transfer, tags.matrix, tags.range}; }
    int sarNum = 0, sarDen = 0;
    int rateNum = 0, rateDen = 0;
    std::vector<btcheck::CodePicture> frames; ///< the first pictures, chroma at full size
    std::string audioCodec;       ///< "flac", "pcm_s24le"
    std::string layout;           ///< "stereo", "5.1"
    int sampleRate = 0;
    std::vector<std::vector<float>> samples; ///< all of it, per file channel
};

/// Opens and decodes the file (all sound, the first `maxFrames` pictures).
/// Throws btcheck::ReadError. (ToolProbe's PictureChecksums counts pictures.)
inline Movie ReadMovie(const std::string& path, int maxFrames = 1)
{
    btcheck::MediaFile file = btcheck::MediaFile::Open(path);
    const btcheck::FileFacts& facts = file.Facts();
    Movie m;
    m.durationSeconds = facts.durationSeconds;
    if (const auto& p = facts.picture) {
        m.videoCodec = p->codec;
        m.pixelFormat = p->pixelFormat;
        m.tags = p->tags;
        m.sarNum = p->sarNum;
        m.sarDen = p->sarDen;
        m.rateNum = p->rateNum;
        m.rateDen = p->rateDen;
        for (int i = 0; i < maxFrames; ++i)
            m.frames.push_back(file.DecodeFrame(i));
    }
    if (const auto& s = facts.sound) {
        m.audioCodec = s->codec;
        m.layout = s->layout;
        m.sampleRate = s->rate;
        m.samples = file.DecodeSound(24 * 3600.0).channels;
    }
    return m;
}

} // namespace btmedia::probe
