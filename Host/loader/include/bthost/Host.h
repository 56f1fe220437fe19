#pragma once
// A host for the ImporterBarsAndTone module: loads a .cvm, resolves its two
// exports and plays the host's side of every call, with the standard-parameter
// record, the memory functions, the utility functions and the basic suite.
//
// The host's C functions take no context, so a call finds its host through a
// thread-local pointer that Call sets for its duration: several hosts, and
// several threads on one host, can run at once.

#include "ImporterBarsAndTone/ImporterAbi.h"
#include "bthost/ClipDescription.h"
#include "bthost/DynamicLibrary.h"
#include "bthost/FramePool.h"
#include "bthost/HostMemory.h"
#include "bthost/SuiteRegistry.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace bthost {

/// The nine arguments of the module's describe call.
struct PluginDescription {
    std::string displayName;
    std::string matchName;
    std::string category;
    std::string empty;
    std::uint32_t kind = 0;
    std::int32_t a = 0, b = 0, c = 0;
    std::int32_t result = 0; ///< what PluginDataEntryFunction returned
};

class Host {
public:
    /// Loads the module; throws std::runtime_error when it cannot be loaded or
    /// lacks one of the two exports.
    explicit Host(const std::string& modulePath);
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    /// The host whose call is running on this thread, or null.
    [[nodiscard]] static Host* Current() noexcept;

    [[nodiscard]] HostMemory& Memory() noexcept { return mMemory; }
    [[nodiscard]] SuiteRegistry& Suites() noexcept { return mSuites; }
    /// The frames the picture suites create for the module.
    [[nodiscard]] FramePool& Frames() noexcept { return mFrames; }
    [[nodiscard]] void* StdParms() noexcept { return mStdParms.data(); }
    [[nodiscard]] const std::string& ModulePath() const noexcept { return mLibrary.Path(); }

    /// xImportEntry with this host's standard parameters.
    std::int32_t Call(std::uint32_t selector, std::intptr_t param1, std::intptr_t param2);
    std::int32_t Call(std::uint32_t selector, const void* record1, const void* record2);

    /// PluginDataEntryFunction, capturing what the module described.
    [[nodiscard]] PluginDescription Describe();

    /// Selector 0 into a fresh record; returns the module's answer.
    std::int32_t Startup(std::vector<std::uint8_t>* record = nullptr);
    /// Selector 14 for indexes 0, 1, 2 … until the module answers other than 0.
    [[nodiscard]] std::vector<std::uint32_t> EnumerateFileTypes();

    /// Copies a settings record into a block of host memory, as a host stores
    /// a clip's settings. The block is released by the memory ledger.
    [[nodiscard]] void* StoreSettings(const void* bytes, std::size_t size);

    struct ClipInfoResult {
        std::int32_t result = 0;
        ClipDescription description;
        std::vector<std::uint8_t> record; ///< the clip information record as filled
    };
    /// Selector 37 for a clip of the given file type, with its stored settings
    /// (a host block from StoreSettings, or null) and, for clips without
    /// stored settings, the audio rate the host proposes.
    [[nodiscard]] ClipInfoResult GetClipInfo(std::uint32_t fileType, void* persisted, float hostAudioRate = 48000.0f);
    /// Selector 9.
    std::int32_t ReleaseFileRecord(void* perFileRecord);

private:
    DynamicLibrary mLibrary;
    BT_PluginDataEntryFn mDataEntry = nullptr;
    BT_ImportEntryFn mImportEntry = nullptr;
    HostMemory mMemory;
    SuiteRegistry mSuites;
    FramePool mFrames;
    // The packed records the module walks: stdParms → suite table → tables.
    std::array<std::uint8_t, 64> mStdParms{};
    std::array<std::uint8_t, 64> mSuiteTable{};
    std::array<std::uint8_t, 32> mMemoryFunctions{};
    std::array<std::uint8_t, 64> mUtilityFunctions{};
};

} // namespace bthost
