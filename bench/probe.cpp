// Probe benchmark: for each file, the input list's probe (load, facts, middle-frame
// thumbnail, close) against the ffprobe tool (facts) plus the ffmpeg tool (one frame
// from the middle) doing the same on the same file in the same run.
//
//   probe [-n ROUNDS] FILE...      (no files: the test fixtures folder)

#include "engine/FFDecode.h"
#include "engine/FFLoad.h"
#include "engine/FFLog.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

std::string quoted(const std::string& s) {
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// The probe sequence of the input list; false when the file does not load.
bool probeOnce(TFFDecoder& dec, const std::string& path, TBitmap& thumb) {
    if (!dec.LoadFile(path))
        return false;
    TFileStreamInfo file;
    if (dec.FirstVideoStreamIndex() >= 0) {
        dec.GetFileStreamInfo(file);
        dec.Seek(0, file.Duration / 2);
        if (dec.DecodeVideoFrame(dec.FirstVideoStreamIndex()))
            dec.CopyToBitmap(thumb);
    }
    dec.GetFileStreamInfo(file);
    TVideoStreamInfo video;
    dec.GetVideoStreamInfo(-1, video);
    TAudioStreamInfo audio;
    dec.GetAudioStreamInfo(-1, audio);
    dec.CloseFile();
    return true;
}

bool toolsOnce(const std::string& path, double middleSec, bool hasVideo) {
    const std::string q = quoted(path);
    if (std::system(("ffprobe -v error -show_format -show_streams " + q + " > /dev/null").c_str()) != 0)
        return false;
    if (!hasVideo)
        return true;
    char ss[32];
    std::snprintf(ss, sizeof ss, "%.3f", middleSec);
    return std::system(("ffmpeg -nostdin -v error -ss " + std::string(ss) + " -i " + q +
                        " -frames:v 1 -f rawvideo -pix_fmt rgb24 -y /dev/null")
                           .c_str()) == 0;
}

} // namespace

int main(int argc, char** argv) {
    int rounds = 5;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "-n" && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else
            files.push_back(argv[i]);
    }
    if (files.empty()) {
        const char* env = std::getenv("MEDIAWIZ_FIXTURES");
        const fs::path dir = env && *env ? fs::path(env) : fs::path("build/h-engine/fixtures");
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(dir, ec))
            if (e.is_regular_file())
                files.push_back(e.path().string());
        std::sort(files.begin(), files.end());
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: probe [-n ROUNDS] FILE...\n");
        return 2;
    }
    FFEngineStart();
    if (!FFLoader().LoadSet(FF_LOAD_SET)) {
        std::fprintf(stderr, "%s\n", FFLoader().LastError().c_str());
        return 1;
    }
    FFLogger().SetLogLevel(llQuiet);

    TFFDecoder dec;
    double oursTotal = 0, toolsTotal = 0;
    std::printf("%-28s %12s %12s %8s  %s\n", "file", "ours ms", "tools ms", "ratio", "thumbnail");
    for (const std::string& path : files) {
        TBitmap thumb;
        if (!probeOnce(dec, path, thumb)) { // also warms the file cache
            std::printf("%-28s  load failed: %s\n", fs::path(path).filename().c_str(),
                        dec.LastErrMsg().c_str());
            continue;
        }
        dec.LoadFile(path);
        TFileStreamInfo info;
        dec.GetFileStreamInfo(info);
        const bool hasVideo = dec.FirstVideoStreamIndex() >= 0;
        dec.CloseFile();
        const double middle = info.Duration > 0 ? double(info.Duration / 2) / 1e6 : 0.0;

        const auto t0 = Clock::now();
        for (int r = 0; r < rounds; ++r)
            probeOnce(dec, path, thumb);
        const double ours = seconds(Clock::now() - t0) / rounds;
        const auto t1 = Clock::now();
        bool toolsOk = true;
        for (int r = 0; r < rounds && toolsOk; ++r)
            toolsOk = toolsOnce(path, middle, hasVideo);
        const double tools = seconds(Clock::now() - t1) / rounds;
        if (!toolsOk) {
            std::printf("%-28s  the tools failed on this file\n", fs::path(path).filename().c_str());
            continue;
        }
        oursTotal += ours;
        toolsTotal += tools;
        std::printf("%-28s %12.2f %12.2f %8.2f  %dx%d\n", fs::path(path).filename().c_str(), ours * 1e3,
                    tools * 1e3, tools / ours, thumb.Width, thumb.Height);
    }
    std::printf("%-28s %12.2f %12.2f %8.2f  (tools time / our time; above 1 means faster)\n", "total",
                oursTotal * 1e3, toolsTotal * 1e3, oursTotal > 0 ? toolsTotal / oursTotal : 0.0);
    return 0;
}
