#include "Session.h"

#include <filesystem>
#include <stdexcept>

namespace btcli {

std::string DefaultModulePath()
{
    constexpr const char* kModule = "ImporterBarsAndTone.cvm";
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return kModule;
    const std::filesystem::path prefix = self.parent_path().parent_path();
    const std::filesystem::path installed = prefix / "lib" / "barsandtone" / "plugins" / kModule;
    if (std::filesystem::exists(installed, error))
        return installed.string();
    return (prefix / "plugins" / kModule).string();
}

std::string ModulePathFor(const CommonOptions& options)
{
    return options.modulePath.empty() ? DefaultModulePath() : options.modulePath;
}

Session::Session(const CommonOptions& options)
{
    const std::string path = ModulePathFor(options);
    if (!std::filesystem::exists(path))
        throw std::runtime_error("no module at " + path + " (build it, or name one with --module)");
    mHost = std::make_unique<bthost::Host>(path);
    mDescription = mHost->Describe();
    mStartupRecord.assign(256, 0);
    mStartupResult = mHost->Startup(&mStartupRecord);
    mFileTypes = mHost->EnumerateFileTypes();
}

OpenClip::OpenClip(Session& session, const ClipFile& clip) : mSession(session), mFile(clip)
{
    mStored = session.Host().StoreSettings(clip.settings.data(), clip.settings.size());
    if (mStored == nullptr)
        throw std::bad_alloc();
    const auto info = session.Host().GetClipInfo(clip.fileType, mStored);
    if (info.result != 0)
        throw std::runtime_error("the module could not describe the clip (selector 37 answered " +
                                 std::to_string(info.result) + ")");
    mDescription = info.description;
    // A clip of the older layout gets a new stored block from the module.
    mStored = mDescription.persisted != nullptr ? mDescription.persisted : mStored;
}

OpenClip::~OpenClip()
{
    if (mDescription.perFileRecord != nullptr)
        mSession.Host().ReleaseFileRecord(mDescription.perFileRecord);
    mSession.Host().Memory().Release(mStored);
}

} // namespace btcli
