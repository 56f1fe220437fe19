#include "BlockFill.h"

#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define RK_HAVE_SSE2 1
#endif
#if RK_HAVE_SSE2 && defined(__GNUC__)
#include <immintrin.h>
#define RK_HAVE_AVX_DISPATCH 1
#endif

namespace rk {

namespace {

constexpr std::size_t kVector = 16;
constexpr std::size_t kLine = 64;

// The pixel repeated over 48 bytes: any 16 bytes of the pattern, whatever
// pixel phase they start at, are one unaligned load away.
struct Pattern {
    alignas(16) unsigned char bytes[48];
    std::size_t period;

    Pattern(const unsigned char* pixel, std::size_t bytesPerPixel) noexcept : period(bytesPerPixel)
    {
        for (std::size_t i = 0; i < sizeof bytes; i += bytesPerPixel)
            std::memcpy(bytes + i, pixel, bytesPerPixel);
    }
};

inline std::size_t MisalignmentToNext(const unsigned char* p, std::size_t alignment) noexcept
{
    return (alignment - (reinterpret_cast<std::uintptr_t>(p) & (alignment - 1))) & (alignment - 1);
}

#if RK_HAVE_SSE2
// Whole cache lines with non-temporal stores. 32-byte stores, where the
// processor has them, keep more lines in flight than 16-byte ones when the
// rows of a block lie far apart, as the rows of a picture's region do.
#if RK_HAVE_AVX_DISPATCH
__attribute__((target("avx"))) void StreamLinesAvx(unsigned char* p, std::size_t lines, __m128i v) noexcept
{
    const __m256i wide = _mm256_set_m128i(v, v);
    for (; lines != 0; --lines, p += kLine) {
        _mm256_stream_si256(reinterpret_cast<__m256i*>(p), wide);
        _mm256_stream_si256(reinterpret_cast<__m256i*>(p + 32), wide);
    }
}

bool HaveAvx() noexcept
{
    // Asked once, after the runtime's processor detection has run.
    static const bool have = (__builtin_cpu_init(), __builtin_cpu_supports("avx") != 0);
    return have;
}
#endif

inline void StreamLines(unsigned char* p, std::size_t lines, __m128i v) noexcept
{
#if RK_HAVE_AVX_DISPATCH
    if (HaveAvx()) {
        StreamLinesAvx(p, lines, v);
        return;
    }
#endif
    for (; lines != 0; --lines, p += kLine) {
        _mm_stream_si128(reinterpret_cast<__m128i*>(p), v);
        _mm_stream_si128(reinterpret_cast<__m128i*>(p + 16), v);
        _mm_stream_si128(reinterpret_cast<__m128i*>(p + 32), v);
        _mm_stream_si128(reinterpret_cast<__m128i*>(p + 48), v);
    }
}
#endif

// One pixel per row (a ramp column): one store per row, in the pixel's size.
template <std::size_t kBytes>
void FillColumn(unsigned char* first, std::ptrdiff_t rowBytes, std::size_t rows, const unsigned char* pixel) noexcept
{
    unsigned char value[kBytes];
    std::memcpy(value, pixel, kBytes);
    for (std::size_t r = 0; r < rows; ++r, first += rowBytes)
        std::memcpy(first, value, kBytes);
}

// Fewer than 16 bytes, in fixed-size pieces the compiler inlines: the ends of
// a row cost no library call.
inline void CopyShort(unsigned char* dst, const unsigned char* src, std::size_t n) noexcept
{
    if (n & 8) {
        std::memcpy(dst, src, 8);
        dst += 8;
        src += 8;
    }
    if (n & 4) {
        std::memcpy(dst, src, 4);
        dst += 4;
        src += 4;
    }
    if (n & 2) {
        std::memcpy(dst, src, 2);
        dst += 2;
        src += 2;
    }
    if (n & 1)
        *dst = *src;
}

// One row of n bytes; rows shorter than a cache line never stream.
template <bool kStream>
inline void FillRow(unsigned char* p, std::size_t n, const Pattern& pattern) noexcept
{
    const std::size_t head = MisalignmentToNext(p, kVector);
    if (n < head + kVector) {
        for (std::size_t i = 0; i < n; i += pattern.period)
            std::memcpy(p + i, pattern.bytes, pattern.period);
        return;
    }
    CopyShort(p, pattern.bytes, head);
    p += head;
    n -= head;
    // Every aligned 16 bytes of this row start at the same pixel phase.
    const unsigned char* phased = pattern.bytes + head % pattern.period;
#if RK_HAVE_SSE2
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(phased));
    if constexpr (kStream) {
        // Partial cache lines at the ends go through the cache, so that the
        // neighbouring block completes them there; whole lines stream.
        while (n >= kVector && (reinterpret_cast<std::uintptr_t>(p) & (kLine - 1)) != 0) {
            _mm_store_si128(reinterpret_cast<__m128i*>(p), v);
            p += kVector;
            n -= kVector;
        }
        const std::size_t lines = n / kLine;
        StreamLines(p, lines, v);
        p += lines * kLine;
        n -= lines * kLine;
    }
    for (; n >= kVector; p += kVector, n -= kVector)
        _mm_store_si128(reinterpret_cast<__m128i*>(p), v);
#else
    for (; n >= kVector; p += kVector, n -= kVector)
        std::memcpy(p, phased, kVector);
#endif
    CopyShort(p, phased, n);
}

template <bool kStream>
void FillRows(unsigned char* first, std::ptrdiff_t rowBytes, std::size_t rowLength, std::size_t rows,
              const Pattern& pattern) noexcept
{
    for (std::size_t r = 0; r < rows; ++r, first += rowBytes)
        FillRow<kStream>(first, rowLength, pattern);
}

} // namespace

void FillBlock(unsigned char* first, std::ptrdiff_t rowBytes, std::size_t pixelsPerRow, std::size_t rows,
               const unsigned char* pixel, std::size_t bytesPerPixel) noexcept
{
    if (pixelsPerRow == 0 || rows == 0)
        return;
    if (pixelsPerRow == 1 && bytesPerPixel == 16) {
        FillColumn<16>(first, rowBytes, rows, pixel);
        return;
    }
    if (pixelsPerRow == 1 && bytesPerPixel == 4) {
        FillColumn<4>(first, rowBytes, rows, pixel);
        return;
    }
    const Pattern pattern(pixel, bytesPerPixel);
    std::size_t rowLength = pixelsPerRow * bytesPerPixel;
    // Rows that touch each other are one long row.
    if (rows > 1 && rowBytes > 0 && static_cast<std::size_t>(rowBytes) == rowLength) {
        rowLength *= rows;
        rows = 1;
    }
    const bool stream = rowLength >= kLine && rowLength * rows >= kStreamingThreshold;
    if (stream) {
        FillRows<true>(first, rowBytes, rowLength, rows, pattern);
#if RK_HAVE_SSE2
        // Streamed stores are weakly ordered: make them visible before the
        // host is told the picture is ready.
        _mm_sfence();
#endif
    } else {
        FillRows<false>(first, rowBytes, rowLength, rows, pattern);
    }
}

} // namespace rk
