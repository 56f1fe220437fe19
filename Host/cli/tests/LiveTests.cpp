// Bars and tone down a live link, as an engineer lining one up sends them:
// a long export through a pipe starts at once, play keeps the clip's rate to
// a network receiver with the timecode asked for, and a stop ends the
// stream cleanly.

#include "CliFixture.h"
#include "ToolProbe.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

using btcli::test::RunCommand;
using btcli::test::RunTool;
using nlohmann::json;

namespace {

using Clock = std::chrono::steady_clock;

class Live : public btcli::test::Cli {
protected:
    /// A 25 fps clip of `size`.
    std::string Clip(const std::string& size)
    {
        return New("live.json", {"--seq-size", size, "--seq-rate", "25"});
    }
};

/// A UDP receiver on 127.0.0.1 that keeps what arrives until the sender has
/// been quiet for a second (or 30 s have passed), and when it came.
class UdpReceiver {
public:
    UdpReceiver()
    {
        mSocket = socket(AF_INET, SOCK_DGRAM, 0);
        int buffer = 8 << 20; // a GOP's burst waits here while the thread writes
        (void)setsockopt(mSocket, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        (void)bind(mSocket, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        (void)getsockname(mSocket, reinterpret_cast<sockaddr*>(&address), &length);
        mPort = ntohs(address.sin_port);
    }
    ~UdpReceiver() { close(mSocket); }

    [[nodiscard]] std::string Address() const { return "udp://127.0.0.1:" + std::to_string(mPort); }

    /// Receives into `path`; returns the seconds from the first datagram to the last.
    double ReceiveInto(const std::string& path)
    {
        std::ofstream out(path, std::ios::binary);
        std::vector<char> datagram(65536);
        Clock::time_point first, last;
        bool any = false;
        const auto giveUp = Clock::now() + std::chrono::seconds(30);
        pollfd waiting{mSocket, POLLIN, 0};
        while (Clock::now() < giveUp && poll(&waiting, 1, any ? 1000 : 20000) > 0) {
            const ssize_t n = recv(mSocket, datagram.data(), datagram.size(), 0);
            if (n <= 0)
                break;
            last = Clock::now();
            if (!any)
                first = last;
            any = true;
            out.write(datagram.data(), n);
        }
        return any ? std::chrono::duration<double>(last - first).count() : 0.0;
    }

private:
    int mSocket = -1;
    int mPort = 0;
};

/// The timecodes the picture stream's GOP headers say, in order.
std::vector<std::string> GopTimecodes(const std::string& path)
{
    const json frames =
        btmedia::probe::Ffprobe(path, "-select_streams v -show_frames -show_entries frame_side_data=timecode");
    std::vector<std::string> said;
    for (const json& f : frames.at("frames"))
        for (const json& side : f.value("side_data_list", json::array()))
            if (side.contains("timecode"))
                said.push_back(side.value("timecode", ""));
    return said;
}

std::size_t PacketsOf(const std::vector<btmedia::probe::PacketPlace>& packets, int stream)
{
    return static_cast<std::size_t>(
        std::count_if(packets.begin(), packets.end(), [&](const auto& p) { return p.stream == stream; }));
}

} // namespace

TEST_F(Live, AnHourThroughAPipeDeliversItsFirstPictureInTheFirstMegabyte)
{
    const std::string clip = Clip("640x360");
    const auto o = RunCommand({"bash", "-c",
                               "'" + std::string(BT_CLI_PATH) + "' export '" + clip +
                                   "' -o - --duration 3600 --no-progress 2>/dev/null | head -c 1000000 > '" +
                                   Path("first.nut") + "'"});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    ASSERT_EQ(std::filesystem::file_size(Path("first.nut")), 1000000u);
    // What the megabyte holds is picture and sound of the same seconds.
    const auto packets = btmedia::probe::PacketPlaces(Path("first.nut"));
    EXPECT_GE(PacketsOf(packets, 0), 10u);
    EXPECT_GE(PacketsOf(packets, 1), 4u);
    double last[2] = {0, 0};
    for (const auto& p : packets)
        last[p.stream] = std::max(last[p.stream], p.start);
    EXPECT_NEAR(last[0], last[1], 0.2);
}

TEST_F(Live, PlaySendsToAUdpReceiverAtTheClipsRateWithItsTimecode)
{
    const std::string clip = Clip("1280x720");
    UdpReceiver receiver;
    double receiving = 0;
    std::thread receive([&] { receiving = receiver.ReceiveInto(Path("received.ts")); });
    const auto o = RunTool({"play", clip, "-o", receiver.Address(), "--duration", "3", "--profile", "xdcam",
                            "--audio-codec", "mp2", "--timecode", "10:00:00:00"});
    receive.join();
    ASSERT_EQ(o.exitCode, 0) << o.err;
    // Pictures that come late are repeated and keep the count; only frames
    // dropped are missing (how many of either depends on the machine's speed).
    std::smatch slips;
    ASSERT_TRUE(std::regex_search(o.out, slips, std::regex(R"((\d+) frames dropped, (\d+) repeated)"))) << o.out;
    const std::size_t dropped = std::stoul(slips[1]);

    const std::string path = Path("received.ts");
    EXPECT_EQ(btmedia::probe::DecodingErrors(path), "");
    const json probe = btmedia::probe::Ffprobe(path);
    const json video = probe.at("streams").at(0);
    EXPECT_EQ(video.value("codec_name", ""), "mpeg2video");
    EXPECT_EQ(video.value("profile", ""), "4:2:2");
    EXPECT_EQ(video.value("r_frame_rate", ""), "25/1");
    EXPECT_EQ(probe.at("streams").at(1).value("codec_name", ""), "mp2");
    // Every frame not dropped arrived, never ahead of the clip's pace: 75 frames over 2.96 s.
    EXPECT_EQ(PacketsOf(btmedia::probe::PacketPlaces(path), 0), 75u - dropped);
    EXPECT_GE(receiving, 74 * 0.04 - 0.1);
    const std::vector<std::string> timecodes = GopTimecodes(path);
    ASSERT_FALSE(timecodes.empty());
    EXPECT_EQ(timecodes.front(), "10:00:00:00");
    EXPECT_EQ(timecodes.back(), "10:00:02:22"); // the last GOP's, frame 72
}

TEST_F(Live, PlayRunsUntilStoppedAndEndsItsStreamCleanly)
{
    const std::string clip = Clip("320x180");
    const std::time_t started = std::time(nullptr);
    btcli::test::RunningTool running({"play", clip, "-o", Path("line-up.nut"), "--timecode", "now", "--no-progress"});
    // Two seconds of line-up, then Ctrl-C.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    running.Signal(SIGINT);
    const auto o = running.Wait();
    EXPECT_EQ(o.exitCode, 130) << o.err;
    EXPECT_NE(o.err.find("stopped by SIGINT"), std::string::npos) << o.err;
    EXPECT_EQ(o.err.find("removed"), std::string::npos) << o.err;
    ASSERT_TRUE(std::filesystem::exists(Path("line-up.nut")));
    EXPECT_EQ(btmedia::probe::DecodingErrors(Path("line-up.nut")), "");
    const json format = btmedia::probe::Ffprobe(Path("line-up.nut")).at("format");
    EXPECT_GT(std::stod(format.value("duration", "0")), 0.5);

    // The timecode is the time of day the run started at.
    std::tm local{};
    localtime_r(&started, &local);
    const std::string timecode = format.at("tags").value("timecode", "");
    ASSERT_EQ(timecode.size(), 11u) << timecode;
    const int said = std::stoi(timecode.substr(0, 2)) * 3600 + std::stoi(timecode.substr(3, 2)) * 60 +
                     std::stoi(timecode.substr(6, 2));
    const int clock = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    EXPECT_NEAR(said, clock, 5) << timecode; // the start of the program, the time to load the module
}

TEST_F(Live, ContentLightLevelsCanBeGivenInPlaceOfTheMeasuredOnes)
{
    const std::string clip = New("pq.json", {"--seq-size", "320x180", "--seq-rate", "25", "--seq-space", "pq"});
    const auto o = RunTool({"export", clip, "-o", Path("pq.mp4"), "--frames", "2", "--max-cll", "65535",
                            "--max-fall", "400"});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    const json frame = btmedia::probe::Ffprobe(Path("pq.mp4"), "-select_streams v -show_frames -read_intervals %+#1")
                           .at("frames")
                           .at(0);
    int found = 0;
    for (const json& side : frame.at("side_data_list"))
        if (side.value("side_data_type", "") == "Content light level metadata") {
            EXPECT_EQ(side.value("max_content", 0), 65535);
            EXPECT_EQ(side.value("max_average", 0), 400);
            ++found;
        }
    EXPECT_EQ(found, 1);
}
