#include "btmedia/StudioPicture.h"

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace btmedia {

namespace {

constexpr float kLumaOffset = 64.0f;
constexpr float kLumaScale = 876.0f;
constexpr float kChromaOffset = 512.0f;
constexpr float kChromaScale = 896.0f;

const unsigned char* PictureRow(const VuyaPicture& picture, int y) noexcept
{
    // Row y counts from the top; memory starts at the bottom row.
    return picture.firstRow + (picture.height - 1 - y) * picture.rowBytes;
}

/// The row converted after row y: the one below it, or row y itself at the bottom.
const unsigned char* NextRow(const VuyaPicture& picture, int y) noexcept
{
    return PictureRow(picture, y + 1 < picture.height ? y + 1 : y);
}

/// Where one picture row's codes go: chroma is null on rows that carry none.
struct RowOut {
    std::uint16_t* y;
    std::uint16_t* cb;
    std::uint16_t* cr;
    int chromaShiftX;
};

// Eight pixels at a time in the compiler's portable vectors. The floats are
// first sorted so that a vector holds one kind of value only (luma, or the
// chroma the planes keep), so that no lane is spent on alpha or on chroma
// that subsampling drops; the sorting stays within halves of 16 bytes, as
// the processors' float shuffles do. Each value then takes the scalar
// StudioCode's arithmetic, lane for lane, so the codes are the same bit for
// bit. Floating-point contraction is off in this project, so no fused
// multiply-add changes a rounding.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif
using Floats = float __attribute__((vector_size(32)));
using Ints = std::int32_t __attribute__((vector_size(32)));
using Words8 = std::uint16_t __attribute__((vector_size(16)));
using Words4 = std::uint16_t __attribute__((vector_size(8)));
constexpr int kBlock = 8; ///< pixels per step

/// Eight values of one kind to their codes.
[[gnu::always_inline]] inline Words8 Codes(Floats v, float offset, float scale) noexcept
{
    constexpr Floats kTop = {1019, 1019, 1019, 1019, 1019, 1019, 1019, 1019};
    constexpr Floats kBottom = {4, 4, 4, 4, 4, 4, 4, 4};
    constexpr Floats kHalf = {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f};
    static_assert(kStudioMax == 1019 && kStudioMin == 4);
    Floats code = offset + scale * v;
    // NaN fails the first test and lands on the top code, as in StudioCode;
    // written as the processors' minimum and maximum are defined.
    code = code < kTop ? code : kTop;
    code = code > kBottom ? code : kBottom;
    return __builtin_convertvector(__builtin_convertvector(code + kHalf, Ints), Words8);
}

/// Codes of eight pixels from `p` into the row's planes at pixel x.
template <int kChromaShiftX>
[[gnu::always_inline]] inline void EightPixels(const unsigned char* p, int x, std::uint16_t* y, std::uint16_t* cb,
                                               std::uint16_t* cr) noexcept
{
    // Pixel n is Vn Un Yn An: a holds pixels 0 and 1, b 2 and 3, and so on.
    Floats a, b, c, d;
    std::memcpy(&a, p, sizeof a);
    std::memcpy(&b, p + 32, sizeof b);
    std::memcpy(&c, p + 64, sizeof c);
    std::memcpy(&d, p + 96, sizeof d);
    const Floats yab = __builtin_shufflevector(a, b, 2, 10, 3, 11, 6, 14, 7, 15); // Y0 Y2 A0 A2 | Y1 Y3 A1 A3
    const Floats ycd = __builtin_shufflevector(c, d, 2, 10, 3, 11, 6, 14, 7, 15); // Y4 Y6 A4 A6 | Y5 Y7 A5 A7
    const Words8 lumas = Codes(__builtin_shufflevector(yab, ycd, 0, 1, 8, 9, 4, 5, 12, 13), kLumaOffset, kLumaScale);
    const Words8 luma = __builtin_shufflevector(lumas, lumas, 0, 4, 1, 5, 2, 6, 3, 7);
    std::memcpy(y + x, &luma, sizeof luma);
    if (cb == nullptr)
        return;
    const Floats vuab = __builtin_shufflevector(a, b, 0, 8, 1, 9, 4, 12, 5, 13); // V0 V2 U0 U2 | V1 V3 U1 U3
    const Floats vucd = __builtin_shufflevector(c, d, 0, 8, 1, 9, 4, 12, 5, 13); // V4 V6 U4 U6 | V5 V7 U5 U7
    if constexpr (kChromaShiftX == 0) {
        const Words8 ab = Codes(vuab, kChromaOffset, kChromaScale);
        const Words8 cd = Codes(vucd, kChromaOffset, kChromaScale);
        const Words8 vs = __builtin_shufflevector(ab, cd, 0, 4, 1, 5, 8, 12, 9, 13);
        const Words8 us = __builtin_shufflevector(ab, cd, 2, 6, 3, 7, 10, 14, 11, 15);
        std::memcpy(cr + x, &vs, sizeof vs);
        std::memcpy(cb + x, &us, sizeof us);
    } else {
        // The even pixels' chroma only: V0 V2 U0 U2 V4 V6 U4 U6.
        const Words8 evens =
            Codes(__builtin_shufflevector(vuab, vucd, 0, 1, 2, 3, 8, 9, 10, 11), kChromaOffset, kChromaScale);
        const Words4 vs = __builtin_shufflevector(evens, evens, 0, 1, 4, 5);
        const Words4 us = __builtin_shufflevector(evens, evens, 2, 3, 6, 7);
        std::memcpy(cr + x / 2, &vs, sizeof vs);
        std::memcpy(cb + x / 2, &us, sizeof us);
    }
}

/// Rationale: the rows are read bottom row last, against the direction in
/// which the processor's own prefetcher follows memory, and that prefetcher
/// stops at every small page; without help the conversion waits on memory
/// for twice as long as the reading takes. Asking, at each block, for the
/// same two cache lines of the next row to be brought into the second-level
/// cache keeps a row's worth of reads (about 30 KB at HD) in flight: the
/// conversion then runs at about the speed of reading the picture.
template <int kChromaShiftX>
[[gnu::always_inline]] inline void FloatRowVector(const unsigned char* row, const unsigned char* next, int width,
                                                  const RowOut& out) noexcept
{
    // The pointers in locals: stores through them cannot then make the
    // compiler read them again.
    std::uint16_t* const y = out.y;
    std::uint16_t* const cb = out.cb;
    std::uint16_t* const cr = out.cr;
    int x = 0;
    for (; x + kBlock <= width; x += kBlock) {
        const std::size_t at = static_cast<std::size_t>(x) * 16;
        __builtin_prefetch(next + at, 0, 2);
        __builtin_prefetch(next + at + 64, 0, 2);
        EightPixels<kChromaShiftX>(row + at, x, y, cb, cr);
    }
    for (; x < width; ++x) {
        float vuya[4];
        std::memcpy(vuya, row + static_cast<std::size_t>(x) * sizeof vuya, sizeof vuya);
        y[x] = StudioCode(vuya[2], kLumaOffset, kLumaScale);
        if (cb != nullptr && x % (1 << kChromaShiftX) == 0) {
            cr[x >> kChromaShiftX] = StudioCode(vuya[0], kChromaOffset, kChromaScale);
            cb[x >> kChromaShiftX] = StudioCode(vuya[1], kChromaOffset, kChromaScale);
        }
    }
}

std::uint16_t Widen8(unsigned char v) noexcept
{
    const int code = v * 4;
    return static_cast<std::uint16_t>(code < kStudioMin ? kStudioMin : code > kStudioMax ? kStudioMax : code);
}

// Standard-definition frames are small: a plain loop is fast enough.
void Convert8Row(const unsigned char* row, const unsigned char*, int width, const RowOut& out) noexcept
{
    for (int x = 0; x < width; ++x) {
        const unsigned char* p = row + static_cast<std::size_t>(x) * 4;
        out.y[x] = Widen8(p[2]);
        if (out.cb != nullptr && x % (1 << out.chromaShiftX) == 0) {
            out.cr[x >> out.chromaShiftX] = Widen8(p[0]);
            out.cb[x >> out.chromaShiftX] = Widen8(p[1]);
        }
    }
}

/// Converts one row; `next` is the row to be converted after it, to be
/// brought closer meanwhile (the row itself for the last one).
using RowFunction = void (*)(const unsigned char* row, const unsigned char* next, int width, const RowOut& out) noexcept;

void FloatRow(const unsigned char* row, const unsigned char* next, int width, const RowOut& out) noexcept
{
    if (out.chromaShiftX == 0)
        FloatRowVector<0>(row, next, width, out);
    else
        FloatRowVector<1>(row, next, width, out);
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
// The same code for processors with 32-byte registers: one instruction per
// eight floats instead of two, and byte shuffles for sorting the codes.
__attribute__((target("avx2"))) void FloatRowAvx2(const unsigned char* row, const unsigned char* next, int width,
                                                   const RowOut& out) noexcept
{
    if (out.chromaShiftX == 0)
        FloatRowVector<0>(row, next, width, out);
    else
        FloatRowVector<1>(row, next, width, out);
}

bool HaveAvx2() noexcept
{
    static const bool have = (__builtin_cpu_init(), __builtin_cpu_supports("avx2") != 0);
    return have;
}
#endif

/// Where picture row y's codes go in `planes`: chroma only on the rows that carry it.
RowOut RowIn(const StudioPlanes& planes, int y) noexcept
{
    const bool chroma = y % (1 << planes.chromaShiftY) == 0;
    const std::ptrdiff_t cy = y >> planes.chromaShiftY;
    return {planes.plane[0] + y * planes.stride[0], chroma ? planes.plane[1] + cy * planes.stride[1] : nullptr,
            chroma ? planes.plane[2] + cy * planes.stride[2] : nullptr, planes.chromaShiftX};
}

bool SameRow(const RowOut& codes, const RowOut& other, int width, int chromaWidth) noexcept
{
    const auto same = [](const std::uint16_t* a, const std::uint16_t* b, int n) {
        return std::memcmp(a, b, static_cast<std::size_t>(n) * sizeof(std::uint16_t)) == 0;
    };
    return same(codes.y, other.y, width) &&
           (codes.cb == nullptr || (same(codes.cb, other.cb, chromaWidth) && same(codes.cr, other.cr, chromaWidth)));
}

/// Brings picture row y's codes into the second-level cache, as
/// FloatRowVector does the next row of floats, so that comparing with them
/// does not wait on memory.
void PrefetchCodes(const StudioPlanes& planes, int y) noexcept
{
    const auto ahead = [](const std::uint16_t* words, int count) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(words);
        // One line past the end too: the row need not start on a line.
        for (std::size_t at = 0; at < static_cast<std::size_t>(count) * sizeof(std::uint16_t) + 64; at += 64)
            __builtin_prefetch(bytes + at, 0, 2);
    };
    const RowOut row = RowIn(planes, y);
    ahead(row.y, planes.width);
    if (row.cb != nullptr) {
        ahead(row.cb, planes.ChromaWidth());
        ahead(row.cr, planes.ChromaWidth());
    }
}

/// Copies the codes of picture rows [0, rows) from `from` into `to`.
void CopyRows(const StudioPlanes& from, const StudioPlanes& to, int rows) noexcept
{
    for (int y = 0; y < rows; ++y) {
        const RowOut source = RowIn(from, y);
        const RowOut dest = RowIn(to, y);
        std::memcpy(dest.y, source.y, static_cast<std::size_t>(from.width) * sizeof(std::uint16_t));
        if (source.cb != nullptr) {
            const std::size_t chromaBytes = static_cast<std::size_t>(from.ChromaWidth()) * sizeof(std::uint16_t);
            std::memcpy(dest.cb, source.cb, chromaBytes);
            std::memcpy(dest.cr, source.cr, chromaBytes);
        }
    }
}

bool SameShape(const StudioPlanes& a, const StudioPlanes& b) noexcept
{
    return a.width == b.width && a.height == b.height && a.chromaShiftX == b.chromaShiftX &&
           a.chromaShiftY == b.chromaShiftY;
}

/// Converts into `out`; with `same`, only from the first row whose codes
/// differ from it, and not at all when none does (then true).
bool Convert(const VuyaPicture& picture, const StudioPlanes& out, const StudioPlanes* same, RowFunction floatRow)
{
    if (picture.width != out.width || picture.height != out.height)
        throw std::invalid_argument("picture is " + std::to_string(picture.width) + "x" +
                                    std::to_string(picture.height) + " but the planes are " +
                                    std::to_string(out.width) + "x" + std::to_string(out.height));
    if (picture.firstRow == nullptr && picture.height > 0)
        throw std::invalid_argument("picture has no memory");
    if (out.chromaShiftX < 0 || out.chromaShiftX > 1 || out.chromaShiftY < 0 || out.chromaShiftY > 1)
        throw std::invalid_argument("chroma can be halved across and down, no more");
    if (same != nullptr && !SameShape(*same, out))
        throw std::invalid_argument("the planes to compare with are not of the picture's shape");
    const RowFunction rowFn = picture.layout == VuyaLayout::kFloats ? floatRow : &Convert8Row;
    int y = 0;
    if (same != nullptr) {
        // Rationale: a row's codes go to a row of scratch that stays in the
        // first-level cache, and only the compared picture is read from
        // memory: a picture like the one before costs no writes at all.
        const int chromaWidth = out.ChromaWidth();
        std::vector<std::uint16_t> scratch(static_cast<std::size_t>(out.width) + 2 * static_cast<std::size_t>(chromaWidth));
        std::uint16_t* const luma = scratch.data();
        PrefetchCodes(*same, 0);
        for (; y < picture.height; ++y) {
            if (y + 1 < picture.height)
                PrefetchCodes(*same, y + 1);
            const RowOut reference = RowIn(*same, y);
            const bool chroma = reference.cb != nullptr;
            const RowOut codes{luma, chroma ? luma + out.width : nullptr,
                               chroma ? luma + out.width + chromaWidth : nullptr, out.chromaShiftX};
            rowFn(PictureRow(picture, y), NextRow(picture, y), picture.width, codes);
            if (!SameRow(codes, reference, out.width, chromaWidth))
                break;
        }
        if (y == picture.height)
            return true;
        CopyRows(*same, out, y);
    }
    for (; y < picture.height; ++y)
        rowFn(PictureRow(picture, y), NextRow(picture, y), picture.width, RowIn(out, y));
    return false;
}

} // namespace

bool StudioPlanes::SameCodes(const StudioPlanes& other) const noexcept
{
    if (!SameShape(*this, other))
        return false;
    for (int p = 0; p < 3; ++p) {
        const int w = p == 0 ? width : ChromaWidth();
        const int h = p == 0 ? height : ChromaHeight();
        for (int y = 0; y < h; ++y)
            if (std::memcmp(plane[p] + y * stride[p], other.plane[p] + y * other.stride[p],
                            static_cast<std::size_t>(w) * sizeof(std::uint16_t)) != 0)
                return false;
    }
    return true;
}

StudioPicture::StudioPicture(int width, int height, int chromaShiftX, int chromaShiftY)
{
    mShape.width = width;
    mShape.height = height;
    mShape.chromaShiftX = chromaShiftX;
    mShape.chromaShiftY = chromaShiftY;
    const std::size_t lumaSize = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    const std::size_t chromaSize =
        static_cast<std::size_t>(mShape.ChromaWidth()) * static_cast<std::size_t>(mShape.ChromaHeight());
    mData.resize(lumaSize + 2 * chromaSize);
}

StudioPlanes StudioPicture::Planes() noexcept
{
    StudioPlanes p = mShape;
    const std::size_t lumaSize = static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height);
    const std::size_t chromaSize = static_cast<std::size_t>(p.ChromaWidth()) * static_cast<std::size_t>(p.ChromaHeight());
    p.plane[0] = mData.data();
    p.plane[1] = mData.data() + lumaSize;
    p.plane[2] = mData.data() + lumaSize + chromaSize;
    p.stride[0] = p.width;
    p.stride[1] = p.stride[2] = p.ChromaWidth();
    return p;
}

std::uint16_t StudioPicture::At(int plane, int x, int y) const
{
    const std::size_t lumaSize = static_cast<std::size_t>(mShape.width) * static_cast<std::size_t>(mShape.height);
    const std::size_t chromaSize =
        static_cast<std::size_t>(mShape.ChromaWidth()) * static_cast<std::size_t>(mShape.ChromaHeight());
    const std::size_t rowWords = plane == 0 ? static_cast<std::size_t>(mShape.width) : static_cast<std::size_t>(mShape.ChromaWidth());
    const std::size_t start = plane == 0 ? 0 : lumaSize + chromaSize * static_cast<std::size_t>(plane - 1);
    return mData.at(start + static_cast<std::size_t>(y) * rowWords + static_cast<std::size_t>(x));
}

std::uint16_t StudioCode(float v, float offset, float scale) noexcept
{
    float code = offset + scale * v;
    // Written so that NaN fails both tests and lands on the top code.
    if (!(code <= static_cast<float>(kStudioMax)))
        return kStudioMax;
    if (!(code >= static_cast<float>(kStudioMin)))
        return kStudioMin;
    return static_cast<std::uint16_t>(code + 0.5f);
}

namespace {

RowFunction WidestFloatRow() noexcept
{
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    if (HaveAvx2())
        return &FloatRowAvx2;
#endif
    return &FloatRow;
}

} // namespace

void ConvertToStudio(const VuyaPicture& picture, const StudioPlanes& out)
{
    (void)Convert(picture, out, nullptr, WidestFloatRow());
}

void ConvertToStudioPortable(const VuyaPicture& picture, const StudioPlanes& out)
{
    (void)Convert(picture, out, nullptr, &FloatRow);
}

bool ConvertToStudioUnlessSame(const VuyaPicture& picture, const StudioPlanes& out, const StudioPlanes& same)
{
    return Convert(picture, out, &same, WidestFloatRow());
}

bool ConvertToStudioUnlessSamePortable(const VuyaPicture& picture, const StudioPlanes& out, const StudioPlanes& same)
{
    return Convert(picture, out, &same, &FloatRow);
}

} // namespace btmedia
