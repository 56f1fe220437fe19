#include "dialog/DataExchange.h"

#include "zelcore/memory/MemoryRecycler.h"

#include <new>

namespace bt::dialog {

void ToneSettingsDialogDataExchange::SetToneSettings(const ToneSettings& settings)
{
    mSettings = settings;
    mCancelled = 0;
}

ToneSettings ToneSettingsDialogDataExchange::GetToneSettings() const { return mSettings; }

void ToneSettingsDialogDataExchange::SetCancelled() { mCancelled = 1; }

zelcore::classref::ClassRef<zelcore::classref::Unknown> ToneSettingsDialogDataExchange::GetClassRef()
{
    return {static_cast<zelcore::classref::Unknown*>(this), GetSharedFromThis()};
}

void* ToneSettingsDialogDataExchange::QueryInterface(const zelcore::classref::InterfaceId& id) noexcept
{
    return id == IToneSettingsDialogDataExchange::kInterfaceId ? static_cast<IToneSettingsDialogDataExchange*>(this)
                                                               : nullptr;
}

std::shared_ptr<ToneSettingsDialogDataExchange> CreateDataExchange() noexcept
{
    try {
        return std::allocate_shared<ToneSettingsDialogDataExchange>(
            zelcore::memory::RecyclerAllocator<ToneSettingsDialogDataExchange>());
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // namespace bt::dialog
