// The reader of the host's clip files: any text either reads as a clip or is
// refused with a ClipFileError that says why; nothing else may escape. What
// it reads, written out again, reads back the same clip, and the judgment of
// whether its clip can be used says yes or gives a reason.

#include "ClipFile.h"
#include "ClipRules.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    btcli::ClipFile clip;
    try {
        clip = btcli::ParseClipFile(text);
    } catch (const btcli::ClipFileError&) {
        return 0;
    }
    const btcli::ClipFile back = btcli::ParseClipFile(btcli::FormatClipFile(clip));
    if (back.name != clip.name || back.fileType != clip.fileType || back.settings != clip.settings) {
        std::fprintf(stderr, "fuzz check failed: a clip file written out reads back differently\n");
        std::abort();
    }
    if (const auto fault = btcli::FaultOf(clip.settings); fault && fault->text.empty()) {
        std::fprintf(stderr, "fuzz check failed: a clip was refused without a reason\n");
        std::abort();
    }
    return 0;
}
