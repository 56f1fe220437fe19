#include "bthost/PeImage.h"

#include "barsandtone/PackedBytes.h"

#include <stdexcept>

namespace bthost {

using namespace bt::packed;

namespace {
// Offsets of the image format's headers; the file header's fields are counted
// from the "PE\0\0" signature that precedes it.
constexpr std::size_t kDosNewHeaderOffset = 0x3C;
constexpr std::size_t kMachine = 4, kSectionCount = 6, kTimeDateStamp = 8, kOptionalHeaderSize = 20,
                      kCharacteristics = 22, kOptionalHeader = 24;
constexpr std::uint16_t kMagicPe32 = 0x10B, kMagicPe32Plus = 0x20B;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kDirExport = 0, kDirImport = 1, kDirResource = 2;
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr int kMaxResourceDepth = 3; // type, name, language
} // namespace

bool PeImage::LooksLikePe(const std::vector<std::uint8_t>& image) noexcept
{
    return image.size() >= 2 && image[0] == 'M' && image[1] == 'Z';
}

void PeImage::Need(std::size_t offset, std::size_t length) const
{
    if (offset > mImage.size() || length > mImage.size() - offset)
        throw std::runtime_error("PE image: field past the end of the file");
}

PeImage::PeImage(std::vector<std::uint8_t> image) : mImage(std::move(image))
{
    if (!LooksLikePe(mImage))
        throw std::runtime_error("PE image: no MZ signature");
    Need(kDosNewHeaderOffset, 4);
    const std::size_t pe = LoadU32(mImage.data(), kDosNewHeaderOffset);
    Need(pe, kOptionalHeader);
    if (LoadU32(mImage.data(), pe) != 0x00004550u) // "PE\0\0"
        throw std::runtime_error("PE image: no PE signature");
    mMachine = LoadU16(mImage.data(), pe + kMachine);
    const std::size_t sectionCount = LoadU16(mImage.data(), pe + kSectionCount);
    mTimeDateStamp = LoadU32(mImage.data(), pe + kTimeDateStamp);
    const std::size_t optionalSize = LoadU16(mImage.data(), pe + kOptionalHeaderSize);
    mCharacteristics = LoadU16(mImage.data(), pe + kCharacteristics);

    const std::size_t opt = pe + kOptionalHeader;
    Need(opt, optionalSize);
    Need(opt, 2);
    mMagic = LoadU16(mImage.data(), opt);
    std::size_t countField = 0, directories = 0;
    if (mMagic == kMagicPe32Plus) {
        Need(opt, 112);
        mImageBase = Load<std::uint64_t>(mImage.data(), opt + 24);
        countField = opt + 108;
        directories = opt + 112;
    } else if (mMagic == kMagicPe32) {
        Need(opt, 96);
        mImageBase = LoadU32(mImage.data(), opt + 28);
        countField = opt + 92;
        directories = opt + 96;
    } else {
        throw std::runtime_error("PE image: unknown optional header");
    }
    const std::size_t directoryCount = LoadU32(mImage.data(), countField);
    if (directoryCount > 16 || directories + 8 * directoryCount > opt + optionalSize)
        throw std::runtime_error("PE image: bad data directory count");
    for (std::size_t i = 0; i < directoryCount; ++i)
        mDirectories.push_back({LoadU32(mImage.data(), directories + 8 * i), LoadU32(mImage.data(), directories + 8 * i + 4)});

    const std::size_t sections = opt + optionalSize;
    Need(sections, kSectionHeaderSize * sectionCount);
    for (std::size_t i = 0; i < sectionCount; ++i) {
        const std::size_t s = sections + kSectionHeaderSize * i;
        mSections.push_back({LoadU32(mImage.data(), s + 12), LoadU32(mImage.data(), s + 8), LoadU32(mImage.data(), s + 20),
                             LoadU32(mImage.data(), s + 16)});
    }
}

std::size_t PeImage::Offset(std::uint32_t rva, std::size_t length) const
{
    for (const auto& s : mSections) {
        if (rva >= s.virtualAddress && rva - s.virtualAddress < s.rawSize) {
            const std::size_t into = rva - s.virtualAddress;
            if (length > s.rawSize - into)
                break;
            const std::size_t offset = s.rawOffset + into;
            Need(offset, length);
            return offset;
        }
    }
    throw std::runtime_error("PE image: address outside the file's sections");
}

std::string PeImage::CString(std::uint32_t rva) const
{
    std::string text;
    for (std::size_t at = Offset(rva, 1); ; ++at) {
        Need(at, 1);
        if (mImage[at] == 0)
            return text;
        text += static_cast<char>(mImage[at]);
    }
}

std::vector<std::string> PeImage::ExportNames() const
{
    std::vector<std::string> names;
    if (mDirectories.size() <= kDirExport || mDirectories[kDirExport].size == 0)
        return names;
    const std::size_t dir = Offset(mDirectories[kDirExport].rva, 40);
    const std::uint32_t count = LoadU32(mImage.data(), dir + 24);
    const std::uint32_t table = LoadU32(mImage.data(), dir + 32);
    for (std::uint32_t i = 0; i < count; ++i)
        names.push_back(CString(LoadU32(mImage.data(), Offset(table + 4 * i, 4))));
    return names;
}

std::string PeImage::ExportLibraryName() const
{
    if (mDirectories.size() <= kDirExport || mDirectories[kDirExport].size == 0)
        return {};
    const std::size_t dir = Offset(mDirectories[kDirExport].rva, 40);
    return CString(LoadU32(mImage.data(), dir + 12));
}

std::vector<std::string> PeImage::ImportedLibraries() const
{
    std::vector<std::string> libraries;
    if (mDirectories.size() <= kDirImport || mDirectories[kDirImport].size == 0)
        return libraries;
    // Descriptors of 20 bytes, ended by an all-zero one; the name is at byte 12.
    for (std::uint32_t rva = mDirectories[kDirImport].rva;; rva += 20) {
        const std::size_t d = Offset(rva, 20);
        const std::uint32_t name = LoadU32(mImage.data(), d + 12);
        if (name == 0 && LoadU32(mImage.data(), d + 16) == 0)
            return libraries;
        libraries.push_back(CString(name));
    }
}

std::vector<PeResourceEntry> PeImage::Resources() const
{
    std::vector<PeResourceEntry> entries;
    if (mDirectories.size() <= kDirResource || mDirectories[kDirResource].size == 0)
        return entries;
    const std::uint32_t rootRva = mDirectories[kDirResource].rva;
    const std::uint32_t rootSize = mDirectories[kDirResource].size;

    // Offsets inside the tree are relative to its start.
    auto at = [&](std::uint32_t relative, std::size_t length) {
        if (relative > rootSize || length > rootSize - relative)
            throw std::runtime_error("PE image: resource entry outside the resource directory");
        return Offset(rootRva + relative, length);
    };
    auto label = [&](std::uint32_t nameField) -> std::string {
        if ((nameField & kHighBit) == 0)
            return std::to_string(nameField & 0xFFFFu);
        const std::uint32_t relative = nameField & ~kHighBit;
        const std::size_t length = LoadU16(mImage.data(), at(relative, 2));
        const std::size_t chars = at(relative + 2, 2 * length);
        std::string text;
        for (std::size_t i = 0; i < length; ++i) {
            const std::uint16_t unit = LoadU16(mImage.data(), chars + 2 * i);
            text += unit < 0x80 ? static_cast<char>(unit) : '?';
        }
        return text;
    };

    std::string path[kMaxResourceDepth];
    std::uint32_t ids[kMaxResourceDepth] = {};
    auto walk = [&](auto& self, std::uint32_t relative, int depth) -> void {
        const std::size_t dir = at(relative, 16);
        const std::size_t count = std::size_t{LoadU16(mImage.data(), dir + 12)} + LoadU16(mImage.data(), dir + 14);
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t e = at(relative + 16 + static_cast<std::uint32_t>(8 * i), 8);
            const std::uint32_t nameField = LoadU32(mImage.data(), e);
            const std::uint32_t target = LoadU32(mImage.data(), e + 4);
            path[depth] = label(nameField);
            ids[depth] = nameField;
            const bool isDirectory = (target & kHighBit) != 0;
            if (depth + 1 < kMaxResourceDepth) {
                if (!isDirectory)
                    throw std::runtime_error("PE image: resource tree too shallow");
                self(self, target & ~kHighBit, depth + 1);
                continue;
            }
            if (isDirectory)
                throw std::runtime_error("PE image: resource tree too deep");
            const std::size_t leaf = at(target, 16);
            const std::uint32_t dataRva = LoadU32(mImage.data(), leaf);
            const std::uint32_t size = LoadU32(mImage.data(), leaf + 4);
            const std::size_t data = Offset(dataRva, size);
            PeResourceEntry entry;
            entry.type = path[0];
            entry.name = path[1];
            entry.language = static_cast<std::uint16_t>(ids[2] & 0xFFFFu);
            entry.codePage = LoadU32(mImage.data(), leaf + 8);
            entry.bytes.assign(mImage.begin() + static_cast<std::ptrdiff_t>(data),
                               mImage.begin() + static_cast<std::ptrdiff_t>(data + size));
            entries.push_back(std::move(entry));
        }
    };
    walk(walk, 0, 0);
    return entries;
}

} // namespace bthost
