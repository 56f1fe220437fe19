#pragma once
// Test helper: reads a movie file back with FFmpeg's demuxers and decoders,
// independently of the writer, and reports what a player would see.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace btmedia::probe {

struct Picture {
    int width = 0;
    int height = 0;
    int chromaWidth = 0;
    std::vector<std::uint16_t> planes[3]; ///< Y', Cb, Cr (or the decoder's R'G'B' planes), packed rows (chroma rows halved at 4:2:0)
    [[nodiscard]] int At(int plane, int x, int y) const
    {
        const int w = plane == 0 ? width : chromaWidth;
        return planes[plane].at(static_cast<std::size_t>(y) * w + x);
    }
};

struct Movie {
    double durationSeconds = 0;   ///< container duration
    std::string videoCodec;       ///< "ffv1", "prores"
    std::string pixelFormat;      ///< "yuv444p10le"
    int primaries = 0, transfer = 0, matrix = 0, range = 0; ///< FFmpeg enums = H.273 codes; range 1 = narrow
    [[nodiscard]] std::array<int, 4> ColourTags() const { return {primaries, transfer, matrix, range}; }
    int sarNum = 0, sarDen = 0;
    int rateNum = 0, rateDen = 0; ///< average frame rate
    std::vector<Picture> frames;  ///< decoded, up to the number asked for
    std::string audioCodec;       ///< "flac", "pcm_s24le"
    std::string layout;           ///< "stereo", "5.1", "6 channels" when undeclared
    int sampleRate = 0;
    std::vector<std::vector<float>> samples; ///< decoded, per file channel
};

/// Opens and decodes the file (all sound, the first `maxFrames` pictures).
/// Throws std::runtime_error. (ToolProbe's PictureChecksums counts pictures.)
Movie ReadMovie(const std::string& path, int maxFrames = 1);

} // namespace btmedia::probe
