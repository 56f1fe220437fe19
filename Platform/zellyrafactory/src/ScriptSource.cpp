#include "ScriptSource.h"

#include "StreamText.h"
#include "zellyrafactory/HostControl.h"

#include "barsandtone/ProcessShared.h"

#include <fstream>
#include <mutex>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace zellyrafactory {

namespace {
// Set by the host, used by the module's dialogs: one for the process
// (barsandtone/ProcessShared.h).
struct ProviderSlot {
    std::mutex mutex;
    hostcontrol::ScriptProvider provider;
};
ProviderSlot& InstalledProvider()
{
    static ProviderSlot& slot = bt::ProcessSingleton<ProviderSlot>("zellyrafactory.ScriptProvider");
    return slot;
}

constexpr const char* kResourceType = "LYRA";

std::optional<std::string> ReadSideFile(const std::filesystem::path& modulePath, const std::string& resourceName)
{
    std::filesystem::path file = modulePath;
    file += ".resources";
    file /= kResourceType;
    file /= resourceName;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    return detail::ReadAll(in);
}

#if defined(_WIN32)
std::optional<std::string> ReadModuleResource(void* handle, const std::string& resourceName)
{
    const auto module = static_cast<HMODULE>(handle);
    HRSRC found = FindResourceA(module, resourceName.c_str(), kResourceType);
    if (found == nullptr)
        return std::nullopt;
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded == nullptr ? nullptr : LockResource(loaded);
    if (bytes == nullptr)
        return std::nullopt;
    return std::string(static_cast<const char*>(bytes), SizeofResource(module, found));
}
#endif
} // namespace

namespace hostcontrol {
void SetScriptProvider(ScriptProvider provider)
{
    std::lock_guard lock(InstalledProvider().mutex);
    InstalledProvider().provider = std::move(provider);
}
} // namespace hostcontrol

namespace detail {

std::optional<std::string> ReadLayoutResource(const ResourceModule& module, const std::string& resourceName)
{
    if (resourceName.empty())
        return std::nullopt;
    hostcontrol::ScriptProvider provider;
    {
        std::lock_guard lock(InstalledProvider().mutex);
        provider = InstalledProvider().provider;
    }
    if (provider)
        return provider(resourceName);
#if defined(_WIN32)
    if (module.Handle() != nullptr)
        return ReadModuleResource(module.Handle(), resourceName);
#endif
    if (module.Path().empty())
        return std::nullopt;
    return ReadSideFile(module.Path(), resourceName);
}

} // namespace detail

} // namespace zellyrafactory
