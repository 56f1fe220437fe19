#include "SoundFiles.h"

#include "btmedia/WavWriter.h"
#include "btmedia/Waveform.h"

#include <cmath>
#include <cstdio>
#include <ostream>
#include <stdexcept>

namespace btrun {

void WriteSoundFiles(bthost::Host& host, const SoundClip& clip, const std::filesystem::path& dir, std::ostream& out)
{
    const auto samples = static_cast<std::int64_t>(std::llround(clip.seconds * static_cast<double>(clip.rate)));
    const auto sound = bthost::ReadClipSound(host, clip.settings, samples, clip.channels);
    if (sound.result != BT_RESULT_SUCCESS)
        throw std::runtime_error(clip.name + ": sound request answered " + std::to_string(sound.result));
    const auto values = static_cast<std::int32_t>(std::llround(clip.seconds * static_cast<double>(kPictureLevelRate)));
    const auto levels = bthost::RequestLevels(host, clip.settings, 0, kPictureLevelRate, values, clip.channels);
    if (levels.result != BT_RESULT_SUCCESS)
        throw std::runtime_error(clip.name + ": level request answered " + std::to_string(levels.result));

    std::filesystem::create_directories(dir);
    const auto wav = dir / (clip.name + ".wav");
    const auto png = dir / (clip.name + "-levels.png");
    btmedia::WriteWavFloat(wav.string(), static_cast<int>(clip.rate), sound.channels);
    btmedia::WriteWaveformPng(png.string(), levels.upper, levels.lower);
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f s", clip.seconds);
    out << "  " << clip.name << ": " << clip.channels << " channels at " << static_cast<int>(clip.rate) << " Hz, "
        << seconds << "\n"
        << "    sound   " << wav.string() << "\n"
        << "    levels  " << png.string() << "\n";
}

} // namespace btrun
