#pragma once
// The module that carries a view's layout resources. On Windows a module
// handle; elsewhere the module's file, whose resources lie beside it as side
// files: <module file>.resources/<TYPE>/<NAME>.

#include <filesystem>

namespace zellyrafactory {

class ResourceModule {
public:
    ResourceModule() = default;
    static ResourceModule FromPath(std::filesystem::path modulePath)
    {
        ResourceModule m;
        m.mPath = std::move(modulePath);
        return m;
    }
    static ResourceModule FromHandle(void* moduleHandle)
    {
        ResourceModule m;
        m.mHandle = moduleHandle;
        return m;
    }

    [[nodiscard]] const std::filesystem::path& Path() const noexcept { return mPath; }
    [[nodiscard]] void* Handle() const noexcept { return mHandle; }
    [[nodiscard]] bool IsEmpty() const noexcept { return mPath.empty() && mHandle == nullptr; }

private:
    std::filesystem::path mPath;
    void* mHandle = nullptr;
};

} // namespace zellyrafactory
