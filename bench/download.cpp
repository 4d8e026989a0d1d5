// A whole download (page, address, redirect, transfer into the output folder) of one large
// video from the fake video service over loopback, three ways in the same run: the curl
// tool following the same address to a file, mediawiz-cli download, and the download core
// in this process. Wall time, peak memory and progress reports.
//   download [megabytes=300] [rounds=3]
#include "FakeVideoService.h"
#include "bench/PeakMemory.h"
#include "download/DownloadDriver.h"
#include "net/WinHTTP.h"
#include "support/MainThread.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// Counts what a window would be asked to show; steps go through the main-thread queue.
struct CountingView : IDownloadView {
    TDownloadDriver* driver = nullptr;
    int updates = 0;
    bool ended = false;
    void ShowRows(const std::vector<std::string>&) override {}
    void UpdateRow(int, const TRowTexts&) override { ++updates; }
    void SetRowName(int, const std::string&) override {}
    void SetCurrentFile(const std::string&) override {}
    void SetQuality(const std::string&) override {}
    void ResetProgress() override {}
    void PostNextRow() override {
        MainThread::Post([d = driver] { d->NextRow(); });
    }
    void PostNextQuality() override {
        MainThread::Post([d = driver] { d->NextQuality(); });
    }
    void RunEnded(bool) override { ended = true; }
    void Log(const std::string& line) override { logs.push_back(line); }
    std::vector<std::string> logs; // shown when the run fails
};

struct Figure {
    double seconds = 1e9;       // the best round's
    std::vector<double> rounds; // every round's, while keeping the best
    double cpuSeconds = 0;      // a program's user and system time, the highest round's
    long peakKB = 0;
    int updates = 0;
    bool ok = true;
};

bool SavedWhole(const fs::path& file, std::int64_t size) {
    std::error_code ec;
    return static_cast<std::int64_t>(fs::file_size(file, ec)) == size && !ec;
}

// The only file in dir, removed afterwards; checks its size.
bool TakeOnlyFile(const fs::path& dir, std::int64_t size) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dir))
        files.push_back(entry.path());
    const bool ok = files.size() == 1 && SavedWhole(files[0], size);
    for (const fs::path& file : files)
        fs::remove(file);
    return ok;
}

Figure RunDriver(const FakeVideoService& service, const fs::path& dir, std::int64_t size) {
    TWinHTTP page;
    TWinHTTP video;
    CountingView view;
    TDownloadDriver driver(page, video, view);
    view.driver = &driver;
    TDownloadSettings settings;
    settings.Folder = dir.string() + "/";
    ResetPeakRss();
    const long before = PeakRssKB();
    const auto t0 = Clock::now();
    driver.StartRun({service.Link("big")}, settings);
    while (!view.ended)
        MainThread::WaitAndProcess(50ms);
    Figure f;
    f.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    f.peakKB = PeakRssKB() - before;
    f.updates = view.updates;
    f.ok = TakeOnlyFile(dir, size);
    if (!f.ok)
        for (const std::string& line : view.logs)
            std::printf("log: %s\n", line.c_str());
    return f;
}

// A program run to its end with its output thrown away: wall time and its peak memory.
Figure RunProgram(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    Figure f;
    const auto t0 = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    f.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    f.peakKB = usage.ru_maxrss;
    f.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    f.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return f;
}

void Keep(Figure& best, const Figure& f) {
    best.ok = best.ok && f.ok;
    best.seconds = std::min(best.seconds, f.seconds);
    best.rounds.push_back(f.seconds);
    best.peakKB = std::max(best.peakKB, f.peakKB);
    best.cpuSeconds = std::max(best.cpuSeconds, f.cpuSeconds);
    best.updates = std::max(best.updates, f.updates);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void Print(const char* name, const Figure& f, double mb, const Figure& curl) {
    std::printf("%-22s %7.3f s %7.1f MB/s %5.2fx curl | median %7.3f s %5.2fx curl | %6.1f MB peak%s\n", name,
                f.seconds, mb / f.seconds, f.seconds / curl.seconds, Median(f.rounds),
                Median(f.rounds) / Median(curl.rounds), static_cast<double>(f.peakKB) / 1024,
                f.ok ? "" : "  (FAILED)");
    if (f.cpuSeconds > 0)
        std::printf("%-22s cpu %.3f s (the highest round's)\n", "", f.cpuSeconds);
}

} // namespace

int main(int argc, char** argv) {
    const std::int64_t megabytes = argc > 1 ? std::atoll(argv[1]) : 300;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    const std::int64_t size = megabytes * 1000 * 1000;
    for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
        unsetenv(name);
    setenv("NO_PROXY", "*", 1);

    FakeVideoService service;
    FakeVideoService::Video v;
    v.Id = "big";
    v.Title = "Big";
    v.Size = size;
    v.Formats = {{18, FakeVideoService::Answer::Redirect}};
    service.Add(v);
    setenv("MEDIAWIZ_VIDEO_SERVICE", service.Host().c_str(), 1);
    // The address the run builds from the page for [HQ18]; it answers with a redirect.
    const std::string videoURL = "http://" + service.Host() + "/get_video?video_id=big&&t=tokbig&&fmt=18";
    const fs::path dir = fs::temp_directory_path() / ("bench_download_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string target = (dir / "curl.mp4").string();

    Figure curl, cli, core;
    for (int i = 0; i < rounds; ++i) {
        Figure c = RunProgram({"curl", "-s", "-L", "-o", target, videoURL});
        c.ok = c.ok && TakeOnlyFile(dir, size);
        Keep(curl, c);
        Figure d = RunProgram(
            {MEDIAWIZ_CLI, "download", "--out", dir.string(), "--prefer", "18", service.Link("big")});
        d.ok = d.ok && TakeOnlyFile(dir, size);
        Keep(cli, d);
        Keep(core, RunDriver(service, dir, size));
    }
    const double mb = static_cast<double>(size) / 1e6;
    std::printf("Video %lld MB over 127.0.0.1 through a redirect, best time of %d rounds, highest peak\n",
                static_cast<long long>(megabytes), rounds);
    Print("curl -L -o", curl, mb, curl);
    Print("mediawiz-cli download", cli, mb, curl);
    Print("download core", core, mb, curl);
    std::printf("(the core's peak is this process's growth during the run, the fake service's buffers "
                "included; %d row updates)\n",
                core.updates);
    fs::remove_all(dir);
    return 0;
}
