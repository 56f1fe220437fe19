#pragma once
// What export and play share: the delivery's flags, the movie a clip and
// those flags make, and its writing and report. Export writes a finished
// file as fast as it can; play sends the same movie in real time, to a file,
// a pipe or a network address, for as long as it is let run.

#include "Commands.h"
#include "btmedia/MovieFormats.h"

namespace btcli {

class Session;
class OpenClip;

/// --duration and --frames, one or the other; `byDefault` says how long
/// the movie is without either ("default 5").
void AddLengthFlags(Flags& flags, ExportOptions& options, const std::string& byDefault);

/// The flags of the delivery itself (codings, sound, timecode, HDR),
/// declared alike by export and play.
void AddDeliveryFlags(Flags& flags, ExportOptions& options);

/// The format from --format and the output's name or address, which must
/// agree; standard output carries export's NUT or play's MPEG-TS. Throws
/// UsageError.
[[nodiscard]] btmedia::MovieFormat MovieFormatFor(const ExportOptions& options);

/// Checks what can be checked before the clip is loaded: the format and the
/// choices it must have. Throws UsageError.
void CheckDeliveryRequest(const ExportOptions& options);

} // namespace btcli
