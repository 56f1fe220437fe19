#pragma once
// A read-only view of a Windows PE image (a .cvm built for Windows) held in
// memory: headers, export names, imported libraries and the resource tree.
// Every field is bounds-checked; a malformed image throws std::runtime_error.

#include <cstdint>
#include <string>
#include <vector>

namespace bthost {

struct PeResourceEntry {
    std::string type;       ///< decimal for numeric ids, else the stored name
    std::string name;
    std::uint16_t language = 0;
    std::uint32_t codePage = 0;
    std::vector<std::uint8_t> bytes;
};

class PeImage {
public:
    explicit PeImage(std::vector<std::uint8_t> image);

    /// Whether the bytes start like a PE image ("MZ").
    [[nodiscard]] static bool LooksLikePe(const std::vector<std::uint8_t>& image) noexcept;

    [[nodiscard]] std::uint16_t Machine() const noexcept { return mMachine; }
    [[nodiscard]] std::uint32_t TimeDateStamp() const noexcept { return mTimeDateStamp; }
    [[nodiscard]] std::uint16_t Characteristics() const noexcept { return mCharacteristics; }
    [[nodiscard]] std::uint16_t OptionalHeaderMagic() const noexcept { return mMagic; }
    [[nodiscard]] std::uint64_t ImageBase() const noexcept { return mImageBase; }

    /// Names in the export directory, in its order; the library name it records.
    [[nodiscard]] std::vector<std::string> ExportNames() const;
    [[nodiscard]] std::string ExportLibraryName() const;
    /// Libraries named in the import directory, as written there.
    [[nodiscard]] std::vector<std::string> ImportedLibraries() const;
    /// Every leaf of the resource tree, in directory order (type, name, language).
    [[nodiscard]] std::vector<PeResourceEntry> Resources() const;

private:
    struct Section {
        std::uint32_t virtualAddress, virtualSize, rawOffset, rawSize;
    };
    struct Directory {
        std::uint32_t rva = 0, size = 0;
    };

    [[nodiscard]] std::size_t Offset(std::uint32_t rva, std::size_t length) const;
    void Need(std::size_t offset, std::size_t length) const;
    [[nodiscard]] std::string CString(std::uint32_t rva) const;

    std::vector<std::uint8_t> mImage;
    std::uint16_t mMachine = 0;
    std::uint32_t mTimeDateStamp = 0;
    std::uint16_t mCharacteristics = 0;
    std::uint16_t mMagic = 0;
    std::uint64_t mImageBase = 0;
    std::vector<Directory> mDirectories;
    std::vector<Section> mSections;
};

} // namespace bthost
