// play: the clip's bars and tone sent in real time, for as long as a line-up
// takes.
//
// Rationale: a command of its own rather than an export flag, because what
// it does differs from a file's making in every default: it runs until
// stopped rather than for five seconds, goes to network addresses as well as
// files, sends MPEG-TS to pipes and networks, keeps the clock rather than
// finishing fast, and ends what it sent cleanly when stopped, where an
// interrupted export leaves nothing. The movie itself is export's: the same
// kinds, codings and flags.

#include "ClipOutputs.h"
#include "Commands.h"
#include "CommonFlags.h"
#include "MovieCommand.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace btcli {

namespace {

constexpr const char* kPlayFooter =
    "Sends to any address FFmpeg's protocols open: udp://HOST:PORT (MPEG-TS, seven\n"
    "transport packets to a datagram), srt://HOST:PORT, rtmp://HOST/APP/KEY (FLV),\n"
    "or a file, a FIFO or - (standard output, MPEG-TS). The clip's rate is kept\n"
    "against the clock: a picture not ready in time is replaced by the one before\n"
    "it, and frames whose time has gone while the receiver held the stream back\n"
    "are dropped, picture and sound alike; both are counted and told. Ctrl-C or\n"
    "SIGTERM ends the stream cleanly (exit status 130 or 143) and keeps a file.\n"
    "In MPEG-TS the timecode travels in XDCAM's GOP headers (--profile xdcam);\n"
    "NUT, Matroska and the finished files carry it in their headers.";

CommandRun DeclarePlay(Flags& flags)
{
    auto options = std::make_shared<ExportOptions>();
    options->realTime = true;
    flags.Footer(std::string(kPlayFooter) + "\n\n" + btmedia::MovieFormatsHelp());
    const ClipArgument clip(flags, options->clip);
    flags.Option("-o,--output", options->output,
                 "Where to send: a network address (udp://, srt://, rtmp://...), a file, or - for standard "
                 "output")
        .Required()
        .File();
    // Every kind that writes something.
    std::vector<std::string> kinds;
    for (const btmedia::MovieFormatRow& row : btmedia::kMovieFormats)
        if (*row.muxer != 0)
            kinds.emplace_back(row.names.name);
    flags.Option("-f,--format", options->format,
                 btmedia::JoinedList(kinds) + " (default: from the file name or address; " +
                     std::string(btmedia::RowOf(btmedia::kLiveMovie).names.label) + " for - and addresses)")
        .OneOf(kinds);
    AddLengthFlags(flags, *options, "default: until stopped");
    AddDeliveryFlags(flags, *options);
    return [options, clip](const CommonOptions& common) {
        clip.Check(options->clip);
        if (btmedia::IsNetworkAddress(options->output))
            options->address = std::exchange(options->output, std::string());
        CheckDeliveryRequest(*options);
        return RunOnClip(common, *options, WriteMovieFile);
    };
}

} // namespace

const Command kPlayCommand{"play", "Send the clip's bars and tone in real time, to a network address, a pipe or a file",
                           DeclarePlay};

} // namespace btcli
