#pragma once
// The host side of one run of the tool: the module loaded and started as an
// editing host starts it, and clips opened from clip files.

#include "ClipFile.h"
#include "Commands.h"
#include "bthost/Host.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace btcli {

/// Where the module is when no path is given, found from the program's own
/// location: lib/barsandtone/plugins beside its bin folder as installed, or
/// plugins beside it as the build lays them out.
[[nodiscard]] std::string DefaultModulePath();
/// The module a run loads: the one named, or the default.
[[nodiscard]] std::string ModulePathFor(const CommonOptions& options);

class Session {
public:
    /// Loads the module, calls its describe entry, selector 0 and selector 14
    /// for each file type, as a host does when it scans its plug-ins.
    explicit Session(const CommonOptions& options);

    [[nodiscard]] bthost::Host& Host() noexcept { return *mHost; }
    [[nodiscard]] const bthost::PluginDescription& Description() const noexcept { return mDescription; }
    [[nodiscard]] std::int32_t StartupResult() const noexcept { return mStartupResult; }
    [[nodiscard]] const std::vector<std::uint8_t>& StartupRecord() const noexcept { return mStartupRecord; }
    [[nodiscard]] const std::vector<std::uint32_t>& FileTypes() const noexcept { return mFileTypes; }

private:
    std::unique_ptr<bthost::Host> mHost;
    bthost::PluginDescription mDescription;
    std::int32_t mStartupResult = 0;
    std::vector<std::uint8_t> mStartupRecord;
    std::vector<std::uint32_t> mFileTypes;
};

/// A clip the host has open: its stored settings in a block of host memory
/// and the module's description of it (selector 37), with the per-file record
/// handed back (selector 9) when the clip closes.
class OpenClip {
public:
    OpenClip(Session& session, const ClipFile& clip);
    ~OpenClip();
    OpenClip(const OpenClip&) = delete;
    OpenClip& operator=(const OpenClip&) = delete;

    [[nodiscard]] const ClipFile& File() const noexcept { return mFile; }
    [[nodiscard]] const bthost::ClipDescription& Description() const noexcept { return mDescription; }
    /// The settings a request carries: the per-file record first, the stored
    /// record second, as a host passes them.
    [[nodiscard]] const void* PerFile() const noexcept { return mDescription.perFileRecord; }
    [[nodiscard]] const void* Stored() const noexcept { return mStored; }

private:
    Session& mSession;
    ClipFile mFile;
    void* mStored = nullptr;
    bthost::ClipDescription mDescription;
};

} // namespace btcli
