// Selectors 25 and 49: the clip's sound. Not served yet.

#include "host/SelectorCall.h"

namespace bt {

Result HandleGetAudio(const SelectorCall&) { return kResultUnsupported; }
Result HandleGetAudioLevels(const SelectorCall&) { return kResultUnsupported; }

} // namespace bt
