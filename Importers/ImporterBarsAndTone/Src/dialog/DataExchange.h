#pragma once
// What the caller of the dialog and the dialog share: a settings record in
// and out, and a cancelled flag back. Held by shared ownership, so it
// outlives the dialog even if the caller lets go of its handle first.

#include "host/ToneSettings.h"
#include "zelcore/classref/Unknown.h"

#include <cstdint>
#include <memory>

namespace bt::dialog {

class IToneSettingsDialogDataExchange : public zelcore::classref::Unknown {
public:
    /// {9834A424-22D7-4E14-8F9A-6E0C194934D2}
    static constexpr zelcore::classref::InterfaceId kInterfaceId = zelcore::classref::InterfaceId::FromGuid(
        0x9834A424, 0x22D7, 0x4E14, {0x8F, 0x9A, 0x6E, 0x0C, 0x19, 0x49, 0x34, 0xD2});

    /// Copies the record in and clears the cancelled flag.
    virtual void SetToneSettings(const ToneSettings& settings) = 0;
    [[nodiscard]] virtual ToneSettings GetToneSettings() const = 0;
    virtual void SetCancelled() = 0;
};

class ToneSettingsDialogDataExchange final : public IToneSettingsDialogDataExchange {
public:
    void SetToneSettings(const ToneSettings& settings) override;
    [[nodiscard]] ToneSettings GetToneSettings() const override;
    void SetCancelled() override;
    /// A class-reference handle to this object.
    [[nodiscard]] virtual zelcore::classref::ClassRef<zelcore::classref::Unknown> GetClassRef();

    [[nodiscard]] bool IsCancelled() const noexcept { return mCancelled != 0; }

    void* QueryInterface(const zelcore::classref::InterfaceId& id) noexcept override;

private:
    ToneSettings mSettings;
    std::uint8_t mCancelled = 0;
};

/// A new exchange in one allocation from the memory recycler; null when
/// there is no memory for it.
[[nodiscard]] std::shared_ptr<ToneSettingsDialogDataExchange> CreateDataExchange() noexcept;

} // namespace bt::dialog
