#pragma once
// A hostile but honest host for the fuzz targets: it calls the module's entry
// in-process and gives it every block at exactly the size a host would give
// (each on the heap by itself, so AddressSanitizer's redzones lie right
// before and after it), while the fuzzer decides which services the host
// offers, which allocations fail, how frames are made and what the frame
// checks answer.
//
// After every call it checks what the module must leave behind: each suite
// acquired is released once, no block the host never gave is released, and
// no frame memory outside the pixels (row padding) is written.
//
// Single-threaded: the host's C functions find it through one global.

#include "ImporterBarsAndTone/PictureSuitesAbi.h"
#include "harness/ByteReader.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace btfuzz {

[[noreturn]] void Fail(const char* what, const char* file, int line);

} // namespace btfuzz

/// A finding: prints what broke and aborts, so libFuzzer keeps the input.
#define BT_FUZZ_CHECK(cond)                                \
    do {                                                   \
        if (!(cond))                                       \
            ::btfuzz::Fail(#cond, __FILE__, __LINE__);     \
    } while (0)

namespace btfuzz {

inline constexpr std::uint8_t kUntouched = 0xCD;
inline constexpr std::uint32_t kFloatFrameCode = 0x37785556;
inline constexpr std::uint32_t kByteFrameCode = 0x41595556;

/// Host memory at exactly the requested size, prefilled with kUntouched.
class ExactBlock {
public:
    ExactBlock() = default;
    explicit ExactBlock(std::size_t size) : mBytes(new std::uint8_t[size]), mSize(size)
    {
        for (std::size_t i = 0; i < size; ++i)
            mBytes[i] = kUntouched;
    }
    [[nodiscard]] std::uint8_t* data() noexcept { return mBytes.get(); }
    [[nodiscard]] const std::uint8_t* data() const noexcept { return mBytes.get(); }
    [[nodiscard]] std::size_t size() const noexcept { return mSize; }

private:
    std::unique_ptr<std::uint8_t[]> mBytes;
    std::size_t mSize = 0;
};

/// Which suites a profile names, one bit each.
enum SuiteBit : std::uint8_t {
    kCreatorSuite = 1u << 0,
    kPictureSuite = 1u << 1,
    kPixelFormatSuite = 1u << 2,
    kSequenceSuite = 1u << 3,
};

/// How the host makes a frame the module asks for.
enum class FrameMode : std::uint8_t {
    AsAsked,          ///< the size and format asked for
    Refuse,           ///< stores null and answers -1
    RefuseQuietly,    ///< stores null and answers 0
    OwnSize,          ///< a size of the host's choosing, honestly recorded
    OtherFormat,      ///< the other of the two formats
    WithoutMemory,    ///< a frame record with a null first row
    kCount
};

struct HostProfile {
    bool offerBasicSuite = true;
    bool withMemoryFunctions = true;
    bool withUtilityFunctions = true;
    std::uint8_t refusedSuites = 0;  ///< SuiteBit set: acquisition answers -1 and no table
    std::uint8_t nullSlotSuites = 0; ///< SuiteBit set: the table is given with null functions
    std::int32_t failAllocationAt = -1; ///< index of the first failing allocation; -1 none
    bool failLaterAllocations = false;  ///< every allocation after that one fails too

    FrameMode frameMode = FrameMode::AsAsked;
    std::int32_t ownWidth = 0, ownHeight = 0; ///< FrameMode::OwnSize
    std::int32_t rowPadding = 0;              ///< bytes after each row's pixels, 0 to 255
    bool bottomUpMemory = false;              ///< negative row pitch
    std::array<std::int32_t, 4> checkResults{}; ///< answers of check slots 1 to 3

    std::int32_t dropFrameAnswer = 0;
    bool answerColourSpace = true;
    std::array<std::uint8_t, 16> colourSpaceId{};
};

/// A profile from the input's next bytes (a fixed number of them).
[[nodiscard]] HostProfile ReadHostProfile(ByteReader& in);
inline constexpr std::size_t kHostProfileBytes = 34;

/// The largest frame (in bytes of pixel memory) and block the host makes.
/// Rationale: a real host has limits too; above them creation fails, and the
/// fuzzer sees how the module copes with that.
inline constexpr std::size_t kLargestFrameBytes = std::size_t{1} << 22;
inline constexpr std::size_t kLargestBlockBytes = std::size_t{1} << 24;

struct CreatedFrame {
    BT_FrameHandle handle = nullptr;
    std::int32_t width = 0, height = 0, rowBytes = 0, bytesPerPixel = 0;
    std::uint32_t format = 0;
    std::uint8_t* firstRow = nullptr;
    ExactBlock pixels;
    ExactBlock record;     ///< the host's 48-byte frame record
    ExactBlock handleCell; ///< the pointer the handle points to
};

class FuzzHost {
public:
    explicit FuzzHost(const HostProfile& profile);
    ~FuzzHost();
    FuzzHost(const FuzzHost&) = delete;
    FuzzHost& operator=(const FuzzHost&) = delete;

    [[nodiscard]] static FuzzHost& Current();

    /// xImportEntry with this host's standard parameters; checks afterwards
    /// that every suite acquired was released.
    std::int32_t Call(std::uint32_t selector, std::intptr_t param1, std::intptr_t param2);
    std::int32_t Call(std::uint32_t selector, const void* record1, const void* record2);

    // The memory ledger.
    [[nodiscard]] void* Allocate(std::uint32_t size);
    void Release(void* block);
    /// A block the host made for itself (a clip's stored settings, say).
    [[nodiscard]] void* HostBlock(std::size_t size);
    [[nodiscard]] bool IsLive(const void* block) const { return mBlocks.count(block) != 0; }
    [[nodiscard]] std::size_t BlockSize(const void* block) const;
    [[nodiscard]] std::size_t LiveBlocks() const { return mBlocks.size(); }

    // Suites.
    std::int32_t AcquireSuite(const char* name, std::int32_t version, const void** suite);
    std::int32_t ReleaseSuite(const char* name, std::int32_t version);
    [[nodiscard]] const void* BasicSuite() const;

    // Frames.
    std::int32_t CreateFrame(BT_FrameHandle* out, std::uint32_t format, std::int32_t width, std::int32_t height);
    [[nodiscard]] const CreatedFrame* FindFrame(BT_FrameHandle handle) const;
    [[nodiscard]] const std::vector<std::unique_ptr<CreatedFrame>>& Frames() const { return mFrames; }
    [[nodiscard]] std::int32_t CheckResult(int slot) const { return mProfile.checkResults[slot]; }
    /// Every frame's row padding still untouched; with `painted` false, its
    /// pixels too.
    void CheckFrames(bool painted) const;
    void ReleaseFrames() { mFrames.clear(); }

    [[nodiscard]] const HostProfile& Profile() const { return mProfile; }

private:
    HostProfile mProfile;
    ExactBlock mStdParms, mSuiteTable, mMemoryFunctions, mUtilityFunctions, mBasicSuite;
    std::map<std::string, ExactBlock> mSuiteTables;
    std::map<const void*, ExactBlock> mBlocks;
    std::map<std::string, int> mOutstanding;
    std::int32_t mAllocations = 0;
    std::vector<std::unique_ptr<CreatedFrame>> mFrames;
};

/// A settings record from the input, on the heap at exactly its size.
[[nodiscard]] ExactBlock ReadSettings(ByteReader& in);

} // namespace btfuzz
