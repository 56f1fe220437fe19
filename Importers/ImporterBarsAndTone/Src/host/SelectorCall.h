#pragma once
// What every selector handler receives: the host's standard parameters and the
// two selector-specific values, exactly as the host passed them.

#include "host/ResultCodes.h"

#include <cstdint>

namespace bt {

struct SelectorCall {
    void* stdParms = nullptr;
    std::intptr_t param1 = 0;
    std::intptr_t param2 = 0;

    [[nodiscard]] void* Record1() const noexcept { return reinterpret_cast<void*>(param1); }
    [[nodiscard]] void* Record2() const noexcept { return reinterpret_cast<void*>(param2); }
};

using SelectorHandler = Result (*)(const SelectorCall&);

// Handlers, one per selector, each in the file of its subsystem.
Result HandleStartup(const SelectorCall&);            // 0   host/BasicSelectors.cpp
Result HandleReleaseFileRecord(const SelectorCall&);  // 9   host/BasicSelectors.cpp
Result HandleGetFileType(const SelectorCall&);        // 14  host/BasicSelectors.cpp
Result HandleQuery(const SelectorCall&);              // 28  host/BasicSelectors.cpp
Result HandleGetClipInfo(const SelectorCall&);        // 37  host/ClipInfo.cpp
Result HandleAcquireSettings(const SelectorCall&);    // 38  host/AcquireSettings.cpp
Result HandleGetAudio(const SelectorCall&);           // 25  audio/AudioSelectors.cpp
Result HandleGetAudioLevels(const SelectorCall&);     // 49  audio/AudioSelectors.cpp
Result HandleGetPixelFormat(const SelectorCall&);     // 27  video/GetPixelFormat.cpp
Result HandleGetPicture(const SelectorCall&);         // 47  video/GetPicture.cpp
Result HandleGetColorDescription(const SelectorCall&);// 73  video/GetColorDescription.cpp

} // namespace bt
