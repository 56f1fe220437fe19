#include "btcheck/Check.h"

#include "btcheck/PictureCheck.h"
#include "btcheck/SoundCheck.h"

namespace btcheck {

CheckReport CheckFile(const std::string& path, bthost::Host& host, const ClipExpectation* clip,
                      const CheckOptions& options)
{
    MediaFile file = MediaFile::Open(path);
    CheckReport report;
    report.path = path;
    report.tolerances = options.tolerances;
    report.withClip = clip != nullptr;
    Reference reference(host, clip != nullptr ? clip->record : Reference::DefaultRecord(host));
    report.file = CheckFileFacts(file.Facts(), clip);
    report.picture = CheckPicture(file, reference, clip, options.tolerances, options.frames);
    if (const auto& sound = file.Facts().sound) {
        // The sound is read from its stream's start, taken to be the first picture's.
        SoundTiming timing;
        if (const auto& picture = file.Facts().picture; picture && !picture->still && picture->rateNum > 0)
            timing.frameRate = static_cast<double>(picture->rateNum) / picture->rateDen;
        report.sound = CheckSound(file.DecodeSound(options.soundSeconds), *sound, reference, clip, options.tolerances,
                                  timing);
    }
    return report;
}

} // namespace btcheck
