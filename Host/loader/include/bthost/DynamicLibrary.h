#pragma once
// The one place where the host touches the operating system's loader.

#include <string>

namespace bthost {

class DynamicLibrary {
public:
    /// Loads the library; throws std::runtime_error naming the path and the
    /// loader's reason.
    explicit DynamicLibrary(const std::string& path);
    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    /// The address of an exported symbol, or null.
    [[nodiscard]] void* Symbol(const char* name) const noexcept;
    [[nodiscard]] const std::string& Path() const noexcept { return mPath; }

private:
    std::string mPath;
    void* mHandle = nullptr;
};

} // namespace bthost
