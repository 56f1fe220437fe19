#pragma once
// What every part of the host that calls FFmpeg's libraries needs of them
// (the movie and image writers, the file reader of check): error checks that
// throw, and owners that free what the libraries allocate. Header-only, so
// that the reader of untrusted files links nothing else.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/mathematics.h>
}

#include <climits>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace btmedia::av {

inline std::string ErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

/// Throws std::runtime_error "what: library's reason" for a negative code.
inline void Check(int code, const std::string& what)
{
    if (code < 0)
        throw std::runtime_error(what + ": " + ErrorText(code));
}

struct CodecContextDeleter {
    void operator()(AVCodecContext* c) const noexcept { avcodec_free_context(&c); }
};
struct FrameDeleter {
    void operator()(AVFrame* f) const noexcept { av_frame_free(&f); }
};
struct PacketDeleter {
    void operator()(AVPacket* p) const noexcept { av_packet_free(&p); }
};
struct BufferPoolDeleter {
    void operator()(AVBufferPool* p) const noexcept { av_buffer_pool_uninit(&p); }
};
using CodecPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using PoolPtr = std::unique_ptr<AVBufferPool, BufferPoolDeleter>;

inline FramePtr NewFrame()
{
    FramePtr f(av_frame_alloc());
    if (!f)
        throw std::bad_alloc();
    return f;
}

inline PacketPtr NewPacket()
{
    PacketPtr p(av_packet_alloc());
    if (!p)
        throw std::bad_alloc();
    return p;
}

inline AVRational ReducedRatio(std::int64_t num, std::int64_t den)
{
    AVRational r{0, 1};
    av_reduce(&r.num, &r.den, num, den, INT_MAX);
    return r;
}

} // namespace btmedia::av
