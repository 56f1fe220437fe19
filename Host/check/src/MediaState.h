#pragma once
// The reader's state, shared by the probe and seeking reads (MediaFile.cpp)
// and the one pass over the whole file (MediaPass.cpp).

#include "btcheck/MediaFile.h"
#include "btmedia/AvSupport.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace btcheck {

struct MemoryInput;

struct MediaFile::State {
    std::unique_ptr<MemoryInput> memory;
    AVIOContext* io = nullptr;
    AVFormatContext* format = nullptr;
    int videoIndex = -1;
    int audioIndex = -1;
    std::vector<int> audioTracks; ///< the streams read as the programme's channels, audioIndex first
    btmedia::av::CodecPtr video;
    FileFacts facts;
    std::function<bool()> interrupted;

    ~State();

    void Open(const char* url);
    void ReadPngTags(std::span<const std::uint8_t> head);
    void Probe();
    /// `threads` 0: as many as the decoder likes.
    [[nodiscard]] btmedia::av::CodecPtr OpenDecoder(int index, int threads = 1) const;
    void SeekTo(int index, std::int64_t ts);
    void ReadOnly(int index);
    /// The frame's codes into `out`, whose planes' memory is used again.
    void ToCodePicture(const AVFrame& frame, CodePicture& out) const;
};

/// Pictures per second of a stream; 0/1 when it does not say.
[[nodiscard]] AVRational FrameRateOf(const AVStream* st);

/// One decoded sound frame's first `count` samples appended as floats, one
/// vector per channel, whatever the sample format.
void AppendSamples(const AVFrame& f, int count, std::vector<std::vector<float>>& out);

} // namespace btcheck
