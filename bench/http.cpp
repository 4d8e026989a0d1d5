// Throughput and peak memory of TWinHTTP downloading a large body over loopback, into
// memory and into a file, next to the curl tool fetching the same body in the same run.
//   http [megabytes=200] [rounds=5]
#include "LoopbackServer.h"
#include "bench/PeakMemory.h"
#include "net/WinHTTP.h"
#include "support/MainThread.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

struct Figure {
    double seconds = 1e9;
    double cpuSeconds = 1e9; // client and server together
    long peakKB = 0;
    bool ok = true;
};

double CpuSeconds(const rusage& u) {
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double OwnCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return CpuSeconds(u);
}

Figure RunCurlTool(const std::string& url, const std::string& target) {
    Figure f;
    const auto t0 = Clock::now();
    const double cpu0 = OwnCpuSeconds();
    const pid_t pid = fork();
    if (pid == 0) {
        execlp("curl", "curl", "-s", "--noproxy", "*", "-o", target.c_str(), url.c_str(),
               static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    f.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    f.cpuSeconds = OwnCpuSeconds() - cpu0 + CpuSeconds(usage);
    f.peakKB = usage.ru_maxrss;
    f.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return f;
}

Figure RunComponent(const std::string& url, const std::string& output, bool withProgress,
                    std::int64_t expected) {
    TWinHTTP http;
    http.URL = url;
    http.OutputFileName = output;
    bool finished = false;
    std::int64_t got = -1;
    http.OnDone = [&](TCustomWinHTTP*, const std::string&, std::int64_t size, THTTPStream*) {
        got = size;
        finished = true;
    };
    http.OnAnyError = [&](TCustomWinHTTP*) { finished = true; };
    std::int64_t reports = 0;
    if (withProgress)
        http.OnProgress = [&](TCustomWinHTTP*, const std::string&, std::int64_t, std::int64_t, std::int64_t,
                              std::int64_t, std::uint8_t, float, THTTPStream*) { ++reports; };
    ResetPeakRss();
    const long before = PeakRssKB();
    Figure f;
    const auto t0 = Clock::now();
    const double cpu0 = OwnCpuSeconds();
    http.Start();
    while (!finished || http.Busy())
        MainThread::WaitAndProcess(50ms);
    f.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    f.cpuSeconds = OwnCpuSeconds() - cpu0;
    f.peakKB = PeakRssKB() - before;
    f.ok = got == expected;
    return f;
}

// Keeps the best time (and the highest peak) of the rounds of one configuration.
void Keep(Figure& best, const Figure& f) {
    best.ok = best.ok && f.ok;
    best.seconds = std::min(best.seconds, f.seconds);
    best.cpuSeconds = std::min(best.cpuSeconds, f.cpuSeconds);
    best.peakKB = std::max(best.peakKB, f.peakKB);
}

void Print(const char* name, const Figure& f, double megabytes, double reference) {
    const double rate = megabytes / f.seconds;
    std::printf("%-32s %7.3f s %8.1f MB/s %6.1f %% %7.3f s cpu %8ld KB peak%s\n", name, f.seconds, rate,
                reference > 0 ? 100.0 * rate / reference : 100.0, f.cpuSeconds, f.peakKB,
                f.ok ? "" : "  (FAILED)");
}

} // namespace

int main(int argc, char** argv) {
    const std::int64_t megabytes = argc > 1 ? std::atoll(argv[1]) : 200;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    const std::int64_t size = megabytes * 1000 * 1000;
    for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
        unsetenv(name);

    std::string block(1 << 16, '\0');
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<char>(i * 131 + 7);
    LoopbackServer server([&](const LoopbackServer::Request&) {
        LoopbackServer::Reply r;
        r.body = block;
        r.size = size;
        r.headers = {"Content-Type: video/mp4"};
        return r;
    });
    const std::string url = server.URL("/video.mp4");
    const fs::path dir = fs::temp_directory_path() / ("bench_http_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string file = (dir / "video.mp4").string();

    std::printf("Body %lld MB over 127.0.0.1, best of %d rounds (peak = resident growth during the run)\n",
                static_cast<long long>(megabytes), rounds);
    const double mb = static_cast<double>(size) / 1e6;
    // The configurations take turns in every round, so a busy machine weighs on all alike.
    Figure curlNull, memory, memoryProgress, curlFile, toFile, toFileProgress;
    for (int i = 0; i < rounds; ++i) {
        Keep(curlNull, RunCurlTool(url, "/dev/null"));
        Keep(memory, RunComponent(url, "", false, size));
        Keep(memoryProgress, RunComponent(url, "", true, size));
        // Removing the file drops its dirty pages, so no write-back runs into the next run.
        Keep(curlFile, RunCurlTool(url, file));
        fs::remove(file);
        Keep(toFile, RunComponent(url, file, false, size));
        fs::remove(file);
        Keep(toFileProgress, RunComponent(url, file, true, size));
        fs::remove(file);
    }
    const double nullRate = mb / curlNull.seconds;
    const double fileRate = mb / curlFile.seconds;
    Print("curl tool -> /dev/null", curlNull, mb, 0);
    Print("TWinHTTP -> memory", memory, mb, nullRate);
    Print("TWinHTTP -> memory, OnProgress", memoryProgress, mb, nullRate);
    Print("curl tool -> file", curlFile, mb, 0);
    Print("TWinHTTP -> file", toFile, mb, fileRate);
    Print("TWinHTTP -> file, OnProgress", toFileProgress, mb, fileRate);
    std::printf(
        "(%% = throughput against the curl tool's same target; cpu = client and server threads together;\n"
        " the curl tool's peak is its whole process)\n");
    fs::remove_all(dir);
    return 0;
}
