#pragma once
// A minimal PE image laid out by hand, for the tests of the readers of
// Windows modules: headers, one section at RVA 0x1000 (file offset 0x200)
// holding a resource tree with type "LYRA" (a name), name 5 (an id),
// language 1033, code page 1252 and the three bytes "abc", an export
// directory naming "Go" in library "Tiny.cvm" and an import directory naming
// "KERNEL32.dll".

#include "barsandtone/PackedBytes.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace tinype {

using namespace bt::packed;

enum class Kind { Pe32Plus, Pe32 };

inline constexpr std::size_t kOptionalHeader = 0x58;
inline constexpr std::size_t kSection = 0x200;    ///< file offset of the section (RVA 0x1000)
inline constexpr std::uint32_t kSectionRva = 0x1000;
inline constexpr std::size_t kLastByteRead = 0x3CD; ///< one past the import's name and its terminator

/// File offset of the optional header's data directory `index`.
inline std::size_t DirectoryAt(Kind kind, std::size_t index)
{
    return kOptionalHeader + (kind == Kind::Pe32Plus ? 112 : 96) + 8 * index;
}

inline std::vector<std::uint8_t> Image(Kind kind = Kind::Pe32Plus)
{
    const bool plus = kind == Kind::Pe32Plus;
    const std::size_t optionalSize = plus ? 240 : 224;
    std::vector<std::uint8_t> b(0x400, 0);
    b[0] = 'M';
    b[1] = 'Z';
    StoreU32(b.data(), 0x3C, 0x40);
    StoreU32(b.data(), 0x40, 0x00004550);                    // "PE\0\0"
    StoreU16(b.data(), 0x44, plus ? 0x8664 : 0x014C);        // machine
    StoreU16(b.data(), 0x46, 1);                             // sections
    StoreU32(b.data(), 0x48, 0x12345678);                    // time stamp
    StoreU16(b.data(), 0x54, static_cast<std::uint16_t>(optionalSize));
    StoreU16(b.data(), 0x56, 0x2022);                        // DLL, executable, large addresses
    const std::size_t opt = kOptionalHeader;
    StoreU16(b.data(), opt, plus ? 0x20B : 0x10B);
    if (plus)
        Store<std::uint64_t>(b.data(), opt + 24, 0x180000000ull);
    else
        StoreU32(b.data(), opt + 28, 0x10000000u);
    StoreU32(b.data(), opt + (plus ? 108 : 92), 16);          // data directories
    StoreU32(b.data(), DirectoryAt(kind, 0), 0x1100);         // export
    StoreU32(b.data(), DirectoryAt(kind, 0) + 4, 0x40);
    StoreU32(b.data(), DirectoryAt(kind, 1), 0x1180);         // import
    StoreU32(b.data(), DirectoryAt(kind, 1) + 4, 0x28);
    StoreU32(b.data(), DirectoryAt(kind, 2), 0x1000);         // resource
    StoreU32(b.data(), DirectoryAt(kind, 2) + 4, 0x100);
    const std::size_t section = opt + optionalSize;
    std::memcpy(b.data() + section, ".rsrc", 5);
    StoreU32(b.data(), section + 8, 0x200);                   // virtual size
    StoreU32(b.data(), section + 12, kSectionRva);            // virtual address
    StoreU32(b.data(), section + 16, 0x200);                  // raw size
    StoreU32(b.data(), section + 20, kSection);               // raw offset

    const std::size_t r = kSection;
    auto directory = [&](std::size_t at, std::uint16_t named, std::uint16_t ids) {
        StoreU16(b.data(), at + 12, named);
        StoreU16(b.data(), at + 14, ids);
    };
    directory(r + 0x00, 1, 0);
    StoreU32(b.data(), r + 0x10, 0x80000000u | 0x60);  // type: name at +0x60
    StoreU32(b.data(), r + 0x14, 0x80000000u | 0x18);  // -> name directory
    directory(r + 0x18, 0, 1);
    StoreU32(b.data(), r + 0x28, 5);
    StoreU32(b.data(), r + 0x2C, 0x80000000u | 0x30);  // -> language directory
    directory(r + 0x30, 0, 1);
    StoreU32(b.data(), r + 0x40, 1033);
    StoreU32(b.data(), r + 0x44, 0x48);                // -> data entry
    StoreU32(b.data(), r + 0x48, 0x1070);              // data RVA
    StoreU32(b.data(), r + 0x4C, 3);
    StoreU32(b.data(), r + 0x50, 1252);                // code page
    StoreU16(b.data(), r + 0x60, 4);                   // "LYRA" in UTF-16
    for (int i = 0; i < 4; ++i)
        StoreU16(b.data(), r + 0x62 + 2 * static_cast<std::size_t>(i), static_cast<std::uint16_t>("LYRA"[i]));
    std::memcpy(b.data() + r + 0x70, "abc", 3);

    const std::size_t e = r + 0x100; // export directory, RVA 0x1100
    StoreU32(b.data(), e + 12, 0x1140);                // library name
    StoreU32(b.data(), e + 24, 1);                     // names
    StoreU32(b.data(), e + 32, 0x1130);                // name table
    StoreU32(b.data(), r + 0x130, 0x1150);
    std::memcpy(b.data() + r + 0x140, "Tiny.cvm", 8);
    std::memcpy(b.data() + r + 0x150, "Go", 2);
    StoreU32(b.data(), r + 0x180 + 12, 0x11C0);        // import descriptor: name; then an all-zero one
    std::memcpy(b.data() + r + 0x1C0, "KERNEL32.dll", 12);
    return b;
}

} // namespace tinype
