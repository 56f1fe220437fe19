#include "btmedia/StudioPicture.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

namespace btmedia {

namespace {

constexpr float kLumaOffset = 64.0f;
constexpr float kLumaScale = 876.0f;
constexpr float kChromaOffset = 512.0f;
constexpr float kChromaScale = 896.0f;

const unsigned char* PictureRow(const DeliveredFrame& frame, int y) noexcept
{
    // Row y counts from the top; memory starts at the bottom row.
    return static_cast<const unsigned char*>(frame.firstRow) + (frame.height - 1 - y) * frame.rowPitch;
}

void ConvertFloatRow(const unsigned char* row, int width, std::uint16_t* y, std::uint16_t* cb, std::uint16_t* cr)
{
    for (int x = 0; x < width; ++x) {
        float vuya[4];
        std::memcpy(vuya, row + static_cast<std::size_t>(x) * sizeof vuya, sizeof vuya);
        cr[x] = StudioCode(vuya[0], kChromaOffset, kChromaScale);
        cb[x] = StudioCode(vuya[1], kChromaOffset, kChromaScale);
        y[x] = StudioCode(vuya[2], kLumaOffset, kLumaScale);
    }
}

std::uint16_t Widen8(unsigned char v) noexcept
{
    const int code = v * 4;
    return static_cast<std::uint16_t>(code < kStudioMin ? kStudioMin : code > kStudioMax ? kStudioMax : code);
}

void Convert8Row(const unsigned char* row, int width, std::uint16_t* y, std::uint16_t* cb, std::uint16_t* cr)
{
    for (int x = 0; x < width; ++x) {
        const unsigned char* p = row + static_cast<std::size_t>(x) * 4;
        cr[x] = Widen8(p[0]);
        cb[x] = Widen8(p[1]);
        y[x] = Widen8(p[2]);
    }
}

} // namespace

StudioPicture::StudioPicture(int width, int height)
    : mWidth(width), mHeight(height),
      mData(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3)
{
}

StudioPlanes StudioPicture::Planes() noexcept
{
    StudioPlanes p;
    p.width = mWidth;
    p.height = mHeight;
    const std::size_t planeSize = static_cast<std::size_t>(mWidth) * static_cast<std::size_t>(mHeight);
    for (int i = 0; i < 3; ++i) {
        p.plane[i] = mData.data() + planeSize * static_cast<std::size_t>(i);
        p.stride[i] = mWidth;
    }
    return p;
}

std::uint16_t StudioPicture::At(int plane, int x, int y) const
{
    const std::size_t planeSize = static_cast<std::size_t>(mWidth) * static_cast<std::size_t>(mHeight);
    return mData.at(planeSize * static_cast<std::size_t>(plane) + static_cast<std::size_t>(y) * mWidth +
                    static_cast<std::size_t>(x));
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

void ConvertToStudio(const DeliveredFrame& frame, const StudioPlanes& out)
{
    if (frame.width != out.width || frame.height != out.height)
        throw std::invalid_argument("frame is " + std::to_string(frame.width) + "x" + std::to_string(frame.height) +
                                    " but the picture is " + std::to_string(out.width) + "x" +
                                    std::to_string(out.height));
    if (frame.firstRow == nullptr && frame.height > 0)
        throw std::invalid_argument("frame has no memory");
    auto* rowFn = frame.hostFormat == kHostFormatVuyaFloat ? &ConvertFloatRow
                  : frame.hostFormat == kHostFormatVuya8   ? &Convert8Row
                                                           : nullptr;
    if (rowFn == nullptr)
        throw std::invalid_argument("frame has unknown host pixel format 0x" + [&] {
            char hex[9];
            std::snprintf(hex, sizeof hex, "%08X", frame.hostFormat);
            return std::string(hex);
        }());
    for (int y = 0; y < frame.height; ++y)
        rowFn(PictureRow(frame, y), frame.width, out.plane[0] + y * out.stride[0], out.plane[1] + y * out.stride[1],
              out.plane[2] + y * out.stride[2]);
}

} // namespace btmedia
