#include "ExitStatus.h"

#include <algorithm>
#include <vector>

namespace btcli {

std::string ExitStatusSentence(std::span<const ExitStatusRow> rows)
{
    std::string text;
    for (const ExitStatusRow& row : rows)
        text += (text.empty() ? "" : "; ") + (row.codes ? std::string(row.codes) : std::to_string(row.code)) + " " +
                row.meaning;
    return text;
}

std::string ExitStatusHelp()
{
    const std::string text = "Exit status: " + ExitStatusSentence(kExitStatuses) +
                             ". check answers for the file it checks: " + ExitStatusSentence(kCheckExitStatuses) + ".";
    // Wrapped between words, as the rest of the help is, never between a
    // status and its meaning ("129, 130, 143 stopped").
    std::vector<std::string> units;
    bool glue = false;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        const std::string word = text.substr(at, end - at);
        if (glue)
            units.back() += " " + word;
        else
            units.push_back(word);
        glue = !word.empty() && word.find_first_not_of("0123456789,") == std::string::npos;
        at = end + 1;
    }
    constexpr std::size_t kWidth = 96;
    std::string wrapped;
    std::size_t lineLength = 0;
    for (const std::string& unit : units) {
        if (lineLength > 0 && lineLength + 1 + unit.size() > kWidth) {
            wrapped += "\n";
            lineLength = 0;
        } else if (lineLength > 0) {
            wrapped += " ";
            ++lineLength;
        }
        wrapped += unit;
        lineLength += unit.size();
    }
    return wrapped;
}

} // namespace btcli
