#include "bthost/DynamicLibrary.h"

#include <stdexcept>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace bthost {

#if defined(_WIN32)
DynamicLibrary::DynamicLibrary(const std::string& path) : mPath(path)
{
    mHandle = reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
    if (mHandle == nullptr)
        throw std::runtime_error("cannot load module " + path + ": error " + std::to_string(GetLastError()));
}

DynamicLibrary::~DynamicLibrary() { FreeLibrary(reinterpret_cast<HMODULE>(mHandle)); }

void* DynamicLibrary::Symbol(const char* name) const noexcept
{
    return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(mHandle), name));
}
#else
// Rationale: the module stays mapped after the host lets go of it, so that
// leak reports from sanitizers can still name the module's code.
DynamicLibrary::DynamicLibrary(const std::string& path) : mPath(path)
{
    mHandle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (mHandle == nullptr) {
        const char* reason = dlerror();
        throw std::runtime_error("cannot load module " + path + ": " + (reason ? reason : "unknown reason"));
    }
}

DynamicLibrary::~DynamicLibrary() { dlclose(mHandle); }

void* DynamicLibrary::Symbol(const char* name) const noexcept { return dlsym(mHandle, name); }
#endif

} // namespace bthost
