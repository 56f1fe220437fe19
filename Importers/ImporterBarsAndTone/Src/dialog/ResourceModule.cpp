// The one place where the module asks its operating system about itself: which
// module holds the dialog's layout resources. The answer is this module,
// found from the address of one of its own functions without changing its
// reference count.

#include "dialog/ToneSettingsDialog.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace bt::dialog {

namespace {
void AddressInThisModule() {}
} // namespace

zellyrafactory::ResourceModule ToneSettingsDialogImpl::GetResourceModule() const
{
#if defined(_WIN32)
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&AddressInThisModule), &module))
        return {};
    return zellyrafactory::ResourceModule::FromHandle(module);
#else
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&AddressInThisModule), &info) == 0 || info.dli_fname == nullptr)
        return {};
    return zellyrafactory::ResourceModule::FromPath(info.dli_fname);
#endif
}

} // namespace bt::dialog
