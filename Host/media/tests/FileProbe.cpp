#include "FileProbe.h"

#include <sndfile.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace btmedia::probe {

Sound ReadSound(const std::string& path)
{
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (f == nullptr)
        throw std::runtime_error("cannot read " + path);
    Sound s;
    s.channels = info.channels;
    s.rate = info.samplerate;
    s.format = info.format;
    // Read to the end: a file written down a pipe may not say its length.
    std::vector<float> block(4096 * static_cast<std::size_t>(info.channels));
    for (sf_count_t n; (n = sf_readf_float(f, block.data(), 4096)) > 0;)
        s.interleaved.insert(s.interleaved.end(), block.begin(), block.begin() + n * info.channels);
    sf_close(f);
    return s;
}

std::vector<PngChunk> ReadPngChunks(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> d((std::istreambuf_iterator<char>(in)), {});
    std::vector<PngChunk> chunks;
    // After the 8-byte signature: length (big-endian), type, data, CRC.
    for (std::size_t at = 8; at + 12 <= d.size();) {
        const std::size_t length = std::size_t{d[at]} << 24 | std::size_t{d[at + 1]} << 16 |
                                   std::size_t{d[at + 2]} << 8 | d[at + 3];
        if (at + 12 + length > d.size())
            break;
        const auto data = d.begin() + static_cast<std::ptrdiff_t>(at + 8);
        chunks.push_back({std::string(d.begin() + static_cast<std::ptrdiff_t>(at + 4), data),
                          std::vector<std::uint8_t>(data, data + static_cast<std::ptrdiff_t>(length))});
        at += 12 + length;
    }
    return chunks;
}

} // namespace btmedia::probe
