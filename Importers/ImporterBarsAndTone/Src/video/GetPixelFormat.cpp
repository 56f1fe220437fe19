// Selector 27: the one pixel format in which the clip's pictures come.

#include "ImporterBarsAndTone/HostRecords.h"
#include "host/RequestSettings.h"
#include "host/SelectorCall.h"
#include "host/ToneSettings.h"
#include "video/BarsPixelFormat.h"

namespace bt {

Result HandleGetPixelFormat(const SelectorCall& call)
{
    namespace req = records::PixelFormatRequest;
    void* request = call.Record2();
    const void* settings = RequestSettings(request, req::kSettingsFirst, req::kSettingsSecond);
    if (settings == nullptr || call.param1 != 0)
        return kResultBadIndex;
    const std::uint8_t colorSpaceType = LoadToneSettings(settings).colorSpaceType;
    packed::StoreU32(request, req::kPixelFormat, HostPixelFormatCode(BarsPixelFormat(colorSpaceType)));
    return kResultSuccess;
}

} // namespace bt
