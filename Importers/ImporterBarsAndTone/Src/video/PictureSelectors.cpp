// Selectors 27, 47 and 73: the picture side of a clip. Not served yet.

#include "host/SelectorCall.h"

namespace bt {

Result HandleGetPixelFormat(const SelectorCall&) { return kResultUnsupported; }
Result HandleGetPicture(const SelectorCall&) { return kResultUnsupported; }
Result HandleGetColorDescription(const SelectorCall&) { return kResultUnsupported; }

} // namespace bt
