#include "btmedia/StudioPicture.h"

#include <cstring>
#include <stdexcept>
#include <string>

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

void ConvertToStudio(const VuyaPicture& picture, const StudioPlanes& out)
{
    if (picture.width != out.width || picture.height != out.height)
        throw std::invalid_argument("picture is " + std::to_string(picture.width) + "x" +
                                    std::to_string(picture.height) + " but the planes are " +
                                    std::to_string(out.width) + "x" + std::to_string(out.height));
    if (picture.firstRow == nullptr && picture.height > 0)
        throw std::invalid_argument("picture has no memory");
    auto* rowFn = picture.layout == VuyaLayout::kFloats ? &ConvertFloatRow : &Convert8Row;
    for (int y = 0; y < picture.height; ++y)
        rowFn(PictureRow(picture, y), picture.width, out.plane[0] + y * out.stride[0],
              out.plane[1] + y * out.stride[1], out.plane[2] + y * out.stride[2]);
}

} // namespace btmedia
