// barsandtone-new: creates one new clip as a host does (selector 38) for a
// 1920 × 1080, 29.97 fps Rec. 709 sequence and stores the settings record the
// module gives back.
//
//   barsandtone-new [--interactive] [--output FILE] [--ntsc | --pal] [MODULE]
//
// --interactive shows the settings dialog in the terminal for a person to
// review; without it the dialog is accepted as it opens. --output writes the
// record's bytes to FILE when the clip is created; a cancelled dialog writes
// nothing. Exit status: 0 created, 1 failed, 2 wrong arguments or no
// terminal, 3 cancelled.

#include "barsandtone/PackedBytes.h"
#include "bthost/DialogControl.h"
#include "bthost/Host.h"
#include "bthost/NewClip.h"
#include "bthost/SequenceInfoSuite.h"
#include "bttui/TerminalDriver.h"
#include "zelcore/text/Utf.h"

#include <cstdio>
#include <exception>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

namespace {

constexpr int kExitCreated = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitCancelled = 3;

constexpr const char* kUsage =
    "usage: barsandtone-new [--interactive] [--output FILE] [--ntsc | --pal] [MODULE]\n";

void PrintRecord(std::ostream& out, const std::vector<std::uint8_t>& bytes)
{
    using namespace bt::packed;
    const std::uint8_t* r = bytes.data();
    out << "Stored record (" << bytes.size() << " bytes)\n ";
    for (std::size_t i = 0; i < bytes.size(); ++i)
        out << " " << std::hex << std::setw(2) << std::setfill('0') << int{bytes[i]} << std::dec
            << (i % 24 == 23 ? "\n " : "");
    out << std::setfill(' ') << std::setprecision(9) << "\n"
        << "  frame " << LoadI32(r, 32) << " x " << LoadI32(r, 36) << ", pixel aspect " << LoadU32(r, 40) << "/"
        << LoadU32(r, 44) << ", frame duration " << LoadI64(r, 48) << " ticks, drop frame " << int{LoadU8(r, 56)}
        << "\n"
        << "  colour space type " << int{LoadU8(r, 64)} << ", preset " << int{LoadU8(r, 65)} << ", audio "
        << LoadF32(r, 4) << " Hz\n"
        << "  identify channels " << int{LoadU8(r, 16)} << ", identifier format " << int{LoadU8(r, 28)}
        << ", frequency " << LoadF32(r, 20) << " Hz, amplitude " << LoadF32(r, 24) << "\n";
}

} // namespace

int main(int argc, char** argv)
{
    bool interactive = false;
    std::optional<std::string> output;
    auto locale = MB::Locale::HostControl::InputLocale::FromProcess;
    std::string modulePath = BT_DEFAULT_MODULE_PATH;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--interactive")
            interactive = true;
        else if (argument == "--output" && i + 1 < argc)
            output = argv[++i];
        else if (argument == "--ntsc")
            locale = MB::Locale::HostControl::InputLocale::NTSC;
        else if (argument == "--pal")
            locale = MB::Locale::HostControl::InputLocale::PAL;
        else if (argument == "--help" || argument == "-h") {
            std::cout << kUsage;
            return kExitCreated;
        } else if (argument.rfind("-", 0) == 0) {
            std::cerr << "barsandtone-new: unknown option '" << argument << "'\n" << kUsage;
            return kExitUsage;
        } else
            modulePath = argument;
    }
    if (interactive && !bttui::StandardInputIsTerminal()) {
        std::cerr << "barsandtone-new: --interactive shows the settings dialog for a person to use, but standard "
                     "input is not a terminal.\nRun it from a terminal, or leave out --interactive to accept the "
                     "dialog as it opens.\n";
        return kExitUsage;
    }

    try {
        bthost::Host host(modulePath);
        (void)host.Describe();
        if (const int startup = host.Startup(); startup != BT_RESULT_STARTUP_ANSWER) {
            std::cerr << "barsandtone-new: the module's start-up answered " << startup << "\n";
            return kExitFailed;
        }
        const bthost::ScopedInputLocale inputLocale(locale);
        bthost::SequenceInfoSuite sequences(host);
        const bthost::SequenceProperties sequence;
        sequences.SetSequence(sequence.sequenceId, {});

        std::unique_ptr<bthost::ScopedDialogDriver> driver;
        if (interactive)
            driver = std::make_unique<bthost::ScopedDialogDriver>(std::make_shared<bttui::TerminalDriver>());
        const bthost::NewClipSettings clip = bthost::AcquireNewClipSettings(host, sequence);
        driver.reset();

        if (clip.result == BT_RESULT_CANCELLED) {
            std::cout << "Cancelled: no clip created, nothing stored.\n";
            return kExitCancelled;
        }
        if (clip.result != BT_RESULT_SUCCESS) {
            std::cerr << "barsandtone-new: the new-clip call answered " << clip.result << "\n";
            return kExitFailed;
        }
        PrintRecord(std::cout, clip.stored);
        std::cout << "Clip name \""
                  << (clip.clipName ? zelcore::text::Utf16ToUtf8(*clip.clipName) : std::string("(none)")) << "\"\n";
        if (output) {
            std::ofstream file(*output, std::ios::binary | std::ios::trunc);
            file.write(reinterpret_cast<const char*>(clip.stored.data()),
                       static_cast<std::streamsize>(clip.stored.size()));
            if (!file) {
                std::cerr << "barsandtone-new: cannot write " << *output << "\n";
                return kExitFailed;
            }
            std::cout << "Written to " << *output << "\n";
        }
        return kExitCreated;
    } catch (const std::exception& e) {
        std::cerr << "barsandtone-new: " << e.what() << "\n";
        return kExitFailed;
    }
}
