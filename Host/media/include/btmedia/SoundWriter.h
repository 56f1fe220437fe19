#pragma once
// Writes a clip's sound as a sound file through libsndfile: WAV (RF64 when it
// outgrows WAV's 4 GiB), RF64, FLAC or AIFF, with 16-bit, 24-bit or 32-bit
// float samples, and the speaker of each channel declared for mono, stereo
// and 5.1 so that players route them.
//
// Rationale: a WAV is opened as RF64 with libsndfile's automatic downgrade,
// so it stays a plain WAV for every reader while it fits and becomes RF64,
// whose sizes are 64-bit, only when a 32-bit size would wrap; a WAV beyond
// 4 GiB otherwise reads back as a few seconds of sound. On a pipe, where
// nothing can be gone back to, a WAV is written as FFmpeg writes one there:
// its sizes unknown (all ones), so that readers take its samples to the end.

#include "btmedia/FileFormats.h"
#include "btmedia/OutputFile.h"
#include "btmedia/SampleFormat.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace btmedia {

enum class SoundContainer { Wav, Rf64, Flac, Aiff };

struct SoundFormat {
    SoundContainer container = SoundContainer::Wav;
    SampleFormat samples = SampleFormat::Float32;
};

/// The sound files, as `tone` names them (FLAC for "-", which it writes in order).
[[nodiscard]] FormatList SoundFormatList();
/// The container a file name's extension asks for, any case; none for another name.
[[nodiscard]] std::optional<SoundContainer> SoundContainerOfName(std::string_view fileName);
/// "WAV", "RF64", "FLAC", "AIFF".
[[nodiscard]] std::string_view ContainerName(SoundContainer container);
/// Whether the container can hold the samples (FLAC holds integers only).
[[nodiscard]] bool Holds(SoundContainer container, SampleFormat samples);
/// Why the container cannot hold the samples, and which containers can.
[[nodiscard]] std::string SamplesRefused(SoundContainer container, SampleFormat samples);
/// The samples a container is written with unless asked: 32-bit float where
/// it holds float, 24-bit where it does not.
[[nodiscard]] SampleFormat DefaultSamples(SoundContainer container);
/// The help of --bits: the tokens and each container's default.
[[nodiscard]] std::string SamplesHelp();

/// A sound file written a stretch at a time into an output, so that hours of
/// sound need no more memory than one stretch. The output is committed in
/// Finish(); a writer destroyed before that leaves the output unfinished,
/// and so removed. Failures throw WriteFailed (a full disk, the file-size
/// limit), OutputRefused (a container that must seek, given a pipe) or
/// std::runtime_error naming the output.
class SoundWriter {
public:
    SoundWriter(OutputFile& output, SoundFormat format, int sampleRate, std::size_t channelCount);
    ~SoundWriter();
    SoundWriter(const SoundWriter&) = delete;
    SoundWriter& operator=(const SoundWriter&) = delete;

    /// `frames` samples of each channel, planar, in the host's channel order.
    void Write(std::span<const float* const> channels, std::size_t frames);
    /// Completes the file and commits the output.
    void Finish();

private:
    struct State;
    std::unique_ptr<State> mState;
};

} // namespace btmedia
