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
    report.sound = CheckSound(file, reference, clip, options.tolerances, options.soundSeconds);
    return report;
}

} // namespace btcheck
