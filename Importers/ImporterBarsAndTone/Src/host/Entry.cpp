// The module's two exports. Nothing escapes into the host: every call goes
// through one try block.

#include "ImporterBarsAndTone/ImporterAbi.h"
#include "host/Dispatch.h"

#include <new>

namespace {
constexpr const char kDisplayName[] = "$$$/Kestrel/Importers/ImporterBarsAndTone/Name=Bars and Tone";
constexpr const char kMatchName[] = "TELV Bars and Tone";
constexpr const char kCategory[] = "Importer";
constexpr const char kEmpty[] = "";
} // namespace

extern "C" BT_MODULE_EXPORT int32_t PluginDataEntryFunction(void* hostContext, BT_DescribeFn describe)
{
    if (describe == nullptr)
        return bt::kResultUnsupported;
    return describe(hostContext, kDisplayName, kMatchName, kCategory, kEmpty, BT_KIND_IMPT, 13, 28, 0);
}

// Rationale: a handler that runs out of memory answers the memory code; any
// other failure inside the module (a layout error raised in the dialog, say)
// answers "not handled", the one code every host already copes with.
extern "C" BT_MODULE_EXPORT int32_t xImportEntry(uint32_t selector, void* stdParms, intptr_t param1, intptr_t param2)
{
    try {
        return bt::Dispatch(selector, bt::SelectorCall{stdParms, param1, param2});
    } catch (const std::bad_alloc&) {
        return bt::kResultMemoryError;
    } catch (...) {
        return bt::kResultUnsupported;
    }
}
