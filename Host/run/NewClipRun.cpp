#include "NewClipRun.h"

#include "barsandtone/PackedBytes.h"
#include "bthost/DialogControl.h"
#include "bthost/NewClip.h"
#include "bthost/SequenceInfoSuite.h"
#include "zelcore/text/Utf.h"

#include <iomanip>
#include <ostream>

namespace btrun {

namespace {

constexpr std::string_view kDialogFlag = "--dialog=";

void PrintRecord(std::ostream& out, const std::vector<std::uint8_t>& bytes)
{
    using namespace bt::packed;
    const std::uint8_t* r = bytes.data();
    out << "Stored record   ";
    for (std::size_t i = 0; i < bytes.size(); ++i)
        out << (i % 24 == 0 && i != 0 ? "\n                " : "") << std::hex << std::setw(2) << std::setfill('0')
            << static_cast<int>(bytes[i]) << std::dec << (i % 24 == 23 ? "" : " ");
    out << std::setfill(' ') << std::setprecision(9) << "\n"
        << "  version " << LoadU32(r, 0) << ", audio " << LoadF32(r, 4) << " Hz, channel type " << LoadU32(r, 8)
        << ", channels " << LoadU32(r, 12) << "\n"
        << "  identify channels " << int{LoadU8(r, 16)} << ", frequency " << LoadF32(r, 20) << " Hz, amplitude "
        << LoadF32(r, 24) << ", identifier format "
        << int{LoadU8(r, 28)} << "\n"
        << "  frame " << LoadI32(r, 32) << " x " << LoadI32(r, 36) << ", pixel aspect " << LoadU32(r, 40) << "/"
        << LoadU32(r, 44) << ", frame duration " << LoadI64(r, 48) << " ticks, drop frame " << int{LoadU8(r, 56)}
        << "\n"
        << "  colour space type " << int{LoadU8(r, 64)} << ", preset " << int{LoadU8(r, 65)} << "\n" << std::setprecision(6);
}

} // namespace

bool IsDialogActionArgument(const std::string& argument) { return argument.rfind(kDialogFlag, 0) == 0; }

int RunNewClip(std::ostream& out, bthost::Host& host, const std::vector<std::string>& dialogArguments)
{
    using zellyrafactory::hostcontrol::ScriptedAction;
    std::vector<ScriptedAction> actions;
    for (const std::string& argument : dialogArguments)
        actions.push_back(ScriptedAction::Parse(std::string_view(argument).substr(kDialogFlag.size())));
    if (actions.empty())
        actions = zellyrafactory::hostcontrol::AcceptAsOpened();

    bthost::SequenceInfoSuite sequences(host);
    const bthost::SequenceProperties sequence;
    sequences.SetSequence(sequence.sequenceId, {});
    const bthost::ScopedDialogDriver driver(actions);

    out << "New clip        sequence " << sequence.width << " x " << sequence.height << ", " << sequence.rateNum
        << "/" << sequence.rateDen << " fps, Rec. 709; dialog:";
    for (const ScriptedAction& action : actions)
        out << " " << action.Describe() << ";";
    out << "\n";

    const bthost::NewClipSettings clip = bthost::AcquireNewClipSettings(host, sequence);
    out << "Settings size   " << clip.size << " (result " << clip.sizeResult << ")\n"
        << "Acquire result  " << clip.result << "\n";
    if (clip.result == BT_RESULT_SUCCESS) {
        PrintRecord(out, clip.stored);
        out << "Clip name       "
            << (clip.clipName ? "\"" + zelcore::text::Utf16ToUtf8(*clip.clipName) + "\"" : std::string("(none)"))
            << "\n";
    }
    return clip.result;
}

} // namespace btrun
