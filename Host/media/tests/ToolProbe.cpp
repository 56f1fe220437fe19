#include "ToolProbe.h"

#include <cstdio>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace btmedia::probe {

namespace {

std::string Quoted(const std::string& path)
{
    std::string q = "'";
    for (char c : path)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string Run(const std::string& command)
{
    struct Closer {
        void operator()(FILE* f) const noexcept { pclose(f); }
    };
    std::unique_ptr<FILE, Closer> pipe(popen(command.c_str(), "r"));
    if (!pipe)
        throw std::runtime_error("cannot run " + command);
    std::string out;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0)
        out.append(buffer, n);
    const int status = pclose(pipe.release());
    if (status != 0)
        throw std::runtime_error(command + " failed (" + std::to_string(status) + ")");
    return out;
}

} // namespace

nlohmann::json Ffprobe(const std::string& path, const std::string& arguments)
{
    return nlohmann::json::parse(Run("ffprobe -v error -of json " + arguments + " " + Quoted(path)));
}

nlohmann::json MediaInfoTracks(const std::string& path)
{
    return nlohmann::json::parse(Run("mediainfo --Output=JSON " + Quoted(path))).at("media").at("track");
}

nlohmann::json MediaInfoTrack(const std::string& path, const std::string& type)
{
    for (const auto& track : MediaInfoTracks(path))
        if (track.value("@type", "") == type)
            return track;
    throw std::runtime_error("MediaInfo found no " + type + " track in " + path);
}

std::vector<std::string> PictureChecksums(const std::string& path)
{
    std::istringstream lines(Run("ffmpeg -v error -i " + Quoted(path) + " -map 0:v:0 -f framemd5 -"));
    std::vector<std::string> frames;
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && line[0] != '#')
            frames.push_back(line);
    return frames;
}

} // namespace btmedia::probe
