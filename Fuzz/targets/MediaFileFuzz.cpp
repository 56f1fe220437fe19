// The reader of files to check: any bytes either read or are refused with a
// ReadError; nothing else may escape, and what is read stays within the
// sizes the reader promises.

#include "btcheck/MediaFile.h"

extern "C" {
#include <libavutil/mem.h>
}

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void Expect(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

} // namespace

// The one pass over the whole input: every picture it hands on has the size
// it promises, and sound comes in runs of as many channels as the file says.
class SizeJudge final : public btcheck::PassSink {
public:
    explicit SizeJudge(int channels) : mChannels(channels) {}
    [[nodiscard]] bool Knows(std::uint64_t) const override { return false; }
    void Repeat(std::int64_t, std::uint64_t) override {}
    void Picture(const btcheck::CodePicture& p, std::uint64_t, std::uint64_t) override
    {
        const auto pixels = static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height);
        for (int c = 0; c < p.Components(); ++c)
            Expect(p.plane[c].size() == pixels, "a plane of the wrong size in the pass");
    }
    void Sound(const btcheck::SoundSamples& s) override
    {
        Expect(static_cast<int>(s.channels.size()) == mChannels, "a sound run of another channel count");
    }

private:
    int mChannels;
};

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // FFmpeg's own blocks stay well inside the fuzzer's memory limit: a header
    // that claims a huge picture is refused, not allocated.
    av_max_alloc(std::size_t{128} << 20);
    try {
        btcheck::MediaFile file = btcheck::MediaFile::OpenBytes({data, size});
        const btcheck::FileFacts& facts = file.Facts();
        if (facts.picture) {
            for (std::int64_t index : {std::int64_t{0}, facts.picture->frameCount - 1}) {
                const btcheck::CodePicture p = file.DecodeFrame(index);
                const auto pixels = static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height);
                Expect(p.width > 0 && p.height > 0, "a picture without pixels");
                for (int c = 0; c < p.Components(); ++c)
                    Expect(p.plane[c].size() == pixels, "a plane of the wrong size");
            }
        }
        if (facts.sound) {
            const btcheck::Sound s = file.DecodeSound(0.5);
            Expect(!s.channels.empty() && s.rate > 0, "sound without channels or rate");
            for (const auto& channel : s.channels)
                Expect(channel.size() == s.channels[0].size(), "channels of different lengths");
        }
        btcheck::MediaFile whole = btcheck::MediaFile::OpenBytes({data, size});
        SizeJudge judge(facts.sound ? facts.sound->channels : 0);
        (void)whole.ReadAll(judge);
    } catch (const btcheck::ReadError&) {
    }
    return 0;
}
