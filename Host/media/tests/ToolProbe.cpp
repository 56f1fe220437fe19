#include "ToolProbe.h"

#include <sys/wait.h>

#include <algorithm>
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

std::string Run(const std::string& command, bool mayFail = false)
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
    if (status != 0 && !mayFail)
        throw std::runtime_error(command + " failed (" + std::to_string(status) + ")");
    if (status != 0)
        out += "exit status " + std::to_string(WEXITSTATUS(status));
    return out;
}

} // namespace

nlohmann::json Ffprobe(const std::string& path, const std::string& arguments)
{
    return nlohmann::json::parse(Run("ffprobe -v error -of json " + arguments + " " + Quoted(path)));
}

nlohmann::json MediaInfoTrack(const std::string& path, const std::string& type)
{
    const nlohmann::json info = nlohmann::json::parse(Run("mediainfo --Output=JSON " + Quoted(path)));
    for (const auto& track : info.at("media").at("track"))
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

std::string DecodingErrors(const std::string& path)
{
    return Run("ffmpeg -nostdin -v error -xerror -i " + Quoted(path) + " -map 0 -f null - 2>&1", true);
}

std::vector<PacketPlace> PacketPlaces(const std::string& path)
{
    const nlohmann::json probe =
        Ffprobe(path, "-show_packets -show_entries packet=stream_index,pos,pts_time,duration_time");
    std::vector<PacketPlace> places;
    for (const auto& p : probe.at("packets")) {
        if (!p.contains("pos") || !p.contains("pts_time"))
            continue;
        PacketPlace place;
        place.stream = p.value("stream_index", 0);
        place.position = std::stoll(p.value("pos", "0"));
        place.start = std::stod(p.value("pts_time", "0"));
        place.end = p.contains("duration_time") ? place.start + std::stod(p.value("duration_time", "0")) : -1;
        places.push_back(place);
    }
    // Where a container keeps no durations, a packet lasts until the next of its stream.
    std::vector<PacketPlace*> byTime;
    for (PacketPlace& place : places)
        byTime.push_back(&place);
    std::stable_sort(byTime.begin(), byTime.end(), [](const PacketPlace* a, const PacketPlace* b) {
        return a->stream != b->stream ? a->stream < b->stream : a->start < b->start;
    });
    for (std::size_t i = 0; i < byTime.size(); ++i)
        if (byTime[i]->end < 0)
            byTime[i]->end = i + 1 < byTime.size() && byTime[i + 1]->stream == byTime[i]->stream ? byTime[i + 1]->start
                                                                                                 : byTime[i]->start;
    return places;
}

} // namespace btmedia::probe
