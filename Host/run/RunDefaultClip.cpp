// Plays the host through the module once: start-up, the file types and the
// description of a default clip, printed for a person; its picture saved
// as PNGs, its sound and each identification cadence as WAVs and level
// pictures, in out/.

#include "NewClipRun.h"
#include "Report.h"
#include "SoundFilesStep.h"
#include "WritePictures.h"
#include "bthost/Host.h"

#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    try {
        std::string modulePath = BT_DEFAULT_MODULE_PATH;
        std::vector<std::string> dialogActions;
        for (int i = 1; i < argc; ++i) {
            const std::string argument = argv[i];
            if (btrun::IsDialogActionArgument(argument))
                dialogActions.push_back(argument);
            else
                modulePath = argument;
        }
        bthost::Host host(modulePath);
        std::cout << "Module " << modulePath << "\n\n";

        btrun::PrintDescription(std::cout, host.Describe());

        std::cout << "\nStart-up answered " << host.Startup() << "\nFile types      ";
        for (std::uint32_t type : host.EnumerateFileTypes())
            std::cout << " '" << btrun::FourCC(type) << "'";
        std::cout << "\n\n";

        auto clip = host.GetClipInfo(BT_FILETYPE_BARS, nullptr, 48000.0f);
        if (clip.result != BT_RESULT_SUCCESS) {
            std::cerr << "clip information failed with result " << clip.result << "\n";
            return EXIT_FAILURE;
        }
        btrun::PrintClip(std::cout, clip.description);
        std::cout << "\n";
        btrun::WriteBarsPictures(host, clip.description.perFileRecord, "out", std::cout);

        std::cout << "\nSound files\n";
        btrun::WriteSoundFilesStep(host, clip.description, "out", std::cout);
        host.ReleaseFileRecord(clip.description.perFileRecord);

        std::cout << "\n";
        const int newClip = btrun::RunNewClip(std::cout, host, dialogActions);
        return newClip == BT_RESULT_SUCCESS || newClip == BT_RESULT_CANCELLED ? EXIT_SUCCESS : EXIT_FAILURE;
    } catch (const std::exception& e) {
        std::cerr << "barsandtone-run: " << e.what() << "\n";
        return EXIT_FAILURE;
    }
}
