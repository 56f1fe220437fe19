#include "host/Dispatch.h"

#include "ImporterBarsAndTone/ImporterAbi.h"

#include <array>

namespace bt {

namespace {

constexpr std::array kSelectorTable{
    SelectorRow{BT_SEL_STARTUP, "selStartup", HandleStartup},
    SelectorRow{BT_SEL_RELEASE_FILE_RECORD, "selReleaseFileRecord", HandleReleaseFileRecord},
    SelectorRow{BT_SEL_GET_FILE_TYPE, "selGetFileType", HandleGetFileType},
    SelectorRow{BT_SEL_GET_AUDIO, "selGetAudio", HandleGetAudio},
    SelectorRow{BT_SEL_GET_PIXEL_FORMAT, "selGetPixelFormat", HandleGetPixelFormat},
    SelectorRow{BT_SEL_QUERY, "selQuery", HandleQuery},
    SelectorRow{BT_SEL_GET_CLIP_INFO, "selGetClipInfo", HandleGetClipInfo},
    SelectorRow{BT_SEL_ACQUIRE_SETTINGS, "selAcquireSettings", HandleAcquireSettings},
    SelectorRow{BT_SEL_GET_PICTURE, "selGetPicture", HandleGetPicture},
    SelectorRow{BT_SEL_GET_AUDIO_LEVELS, "selGetAudioLevels", HandleGetAudioLevels},
    SelectorRow{BT_SEL_GET_COLOR_DESCRIPTION, "selGetColorDescription", HandleGetColorDescription},
};

constexpr bool IsAscending()
{
    for (std::size_t i = 1; i < kSelectorTable.size(); ++i)
        if (kSelectorTable[i - 1].selector >= kSelectorTable[i].selector)
            return false;
    return kSelectorTable.back().selector < BT_SEL_FIRST_UNKNOWN;
}
static_assert(IsAscending(), "selector rows must be unique, ascending and below 74");

} // namespace

std::span<const SelectorRow> SelectorTable() noexcept { return kSelectorTable; }

Result Dispatch(std::uint32_t selector, const SelectorCall& call)
{
    if (selector >= BT_SEL_FIRST_UNKNOWN)
        return kResultUnsupported;
    for (const SelectorRow& row : kSelectorTable)
        if (row.selector == selector)
            return row.handler(call);
    return kResultUnsupported;
}

} // namespace bt
