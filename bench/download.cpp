// A download run (page, then video into a part file, then the move to its name) of one
// large video from the fake video service over loopback, next to the curl tool fetching
// the same video to a file in the same run: throughput, peak memory and progress reports.
//   download [megabytes=500] [rounds=3]
#include "DownloadDriver.h"
#include "FakeVideoService.h"
#include "MainThread.h"
#include "WinHTTP.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

long PeakRssKB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

void ResetPeakRss() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

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
    void Log(const std::string& line) override { std::printf("log: %s\n", line.c_str()); }
};

struct Figure {
    double seconds = 1e9;
    long peakKB = 0;
    int updates = 0;
    bool ok = true;
};

Figure RunDriver(const FakeVideoService& service, const std::string& dir, std::int64_t size) {
    TWinHTTP page;
    TWinHTTP video;
    CountingView view;
    TDownloadDriver driver(page, video, view);
    view.driver = &driver;
    TDownloadSettings settings;
    settings.Folder = dir;
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
    const auto& files = driver.Run().DownloadedFiles();
    f.ok = files.size() == 1 && static_cast<std::int64_t>(fs::file_size(files[0])) == size;
    for (const std::string& file : files)
        fs::remove(file);
    return f;
}

Figure RunCurlTool(const std::string& url, const std::string& target) {
    Figure f;
    const auto t0 = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execlp("curl", "curl", "-s", "--noproxy", "*", "-o", target.c_str(), url.c_str(),
               static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    f.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    f.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    fs::remove(target);
    return f;
}

void Keep(Figure& best, const Figure& f) {
    best.ok = best.ok && f.ok;
    best.seconds = std::min(best.seconds, f.seconds);
    best.peakKB = std::max(best.peakKB, f.peakKB);
    best.updates = std::max(best.updates, f.updates);
}

} // namespace

int main(int argc, char** argv) {
    const std::int64_t megabytes = argc > 1 ? std::atoll(argv[1]) : 500;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    const std::int64_t size = megabytes * 1000 * 1000;
    for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
        unsetenv(name);

    FakeVideoService service;
    FakeVideoService::Video v;
    v.Id = "big";
    v.Title = "Big";
    v.Size = size;
    v.Formats = {{18, FakeVideoService::Answer::File}};
    service.Add(v);
    setenv("MEDIAWIZ_VIDEO_SERVICE", service.Host().c_str(), 1);
    const std::string videoURL = "http://" + service.Host() + "/files/big/18";
    const fs::path dir = fs::temp_directory_path() / ("bench_download_" + std::to_string(getpid()));
    fs::create_directories(dir);

    Figure curl, run;
    for (int i = 0; i < rounds; ++i) {
        Keep(curl, RunCurlTool(videoURL, (dir / "curl.mp4").string()));
        Keep(run, RunDriver(service, dir.string() + "/", size));
    }
    const double mb = static_cast<double>(size) / 1e6;
    std::printf("Video %lld MB over 127.0.0.1, best of %d rounds\n", static_cast<long long>(megabytes),
                rounds);
    std::printf("curl tool -> file      %7.3f s %8.1f MB/s%s\n", curl.seconds, mb / curl.seconds,
                curl.ok ? "" : "  (FAILED)");
    std::printf("download run -> file   %7.3f s %8.1f MB/s %5.1f %%  %ld KB peak  %d row updates%s\n",
                run.seconds, mb / run.seconds, 100.0 * curl.seconds / run.seconds, run.peakKB, run.updates,
                run.ok ? "" : "  (FAILED)");
    fs::remove_all(dir);
    return 0;
}
