// Selector 38: the settings of a new clip. Not served yet.

#include "host/SelectorCall.h"

namespace bt {

Result HandleAcquireSettings(const SelectorCall&) { return kResultUnsupported; }

} // namespace bt
