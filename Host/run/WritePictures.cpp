#include "WritePictures.h"

#include "bthost/PictureRequests.h"
#include "btmedia/FramePreview.h"

#include <array>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <stdexcept>

namespace btrun {

namespace {

// The settings record as the host stores it: 72 bytes, colorSpaceType at byte 64.
constexpr std::size_t kSettingsSize = 72;
constexpr std::size_t kColorSpaceType = 64;

constexpr std::array<const char*, 4> kSpaceNames{"rec601", "rec709", "rec2100-hlg", "rec2100-pq"};

void WriteOne(bthost::Host& host, const void* settings, const std::filesystem::path& folder, const std::string& stem,
              std::ostream& out)
{
    const auto codes = bthost::RequestColourDescription(host, settings);
    bthost::PictureRequest request;
    request.settingsFirst = settings;
    const auto picture = bthost::RequestPicture(host, request);
    const auto view = host.Frames().View(picture.frame);
    if (codes.result != 0 || picture.result != 0 || !view || view->firstRow == nullptr)
        throw std::runtime_error("the module delivered no picture for " + stem + " (selector 73 answered " +
                                 std::to_string(codes.result) + ", selector 47 " + std::to_string(picture.result) + ")");
    const btmedia::VuyaPicture vuya{view->width, view->height, view->rowBytes, view->firstRow,
                                    view->bytesPerPixel == 4 ? btmedia::VuyaLayout::kBytes
                                                             : btmedia::VuyaLayout::kFloats};
    const btmedia::ColourCodes cicp{static_cast<std::uint8_t>(codes.primaries), static_cast<std::uint8_t>(codes.transfer),
                                    static_cast<std::uint8_t>(codes.matrix)};
    const auto preview = (folder / (stem + "-preview.png")).string();
    const auto signal = (folder / (stem + "-signal16.png")).string();
    btmedia::WritePicturePngs(vuya, cicp, preview, signal);
    host.Frames().Release(picture.frame);
    out << "  " << stem << ": " << view->width << " x " << view->height << ", H.273 " << codes.primaries << "/"
        << codes.transfer << "/" << codes.matrix << "\n    " << preview << "\n    " << signal << "\n";
}

} // namespace

void WriteBarsPictures(bthost::Host& host, const void* settings, const std::string& folder, std::ostream& out)
{
    std::filesystem::create_directories(folder);
    std::array<std::uint8_t, kSettingsSize> clip;
    std::memcpy(clip.data(), settings, kSettingsSize);
    out << "Pictures (preview: 8-bit sRGB view; signal16: 16-bit narrow range with cICP)\n";
    WriteOne(host, settings, folder, "default-clip", out);
    for (std::uint8_t space = 0; space < kSpaceNames.size(); ++space) {
        if (space == clip[kColorSpaceType])
            continue;
        auto other = clip;
        other[kColorSpaceType] = space;
        WriteOne(host, other.data(), folder, std::string("bars-") + kSpaceNames[space], out);
    }
}

} // namespace btrun
