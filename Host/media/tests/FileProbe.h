#pragma once
// Test helper: reads sound and picture files back independently of the
// writers: WAV through libsndfile, PNG chunks by walking the file's bytes.

#include <cstdint>
#include <string>
#include <vector>

namespace btmedia::probe {

struct Sound {
    int channels = 0;
    int rate = 0;
    int format = 0;                 ///< libsndfile's major | minor format
    std::vector<float> interleaved; ///< every frame, all channels
};
/// Throws std::runtime_error when the file cannot be read.
Sound ReadSound(const std::string& path);

struct PngChunk {
    std::string type;
    std::vector<std::uint8_t> data;
};
/// The chunks of a PNG file in order; none when it cannot be read.
std::vector<PngChunk> ReadPngChunks(const std::string& path);

} // namespace btmedia::probe
