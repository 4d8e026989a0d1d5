// Throughput and peak memory of TWinHTTP downloading a large body over loopback, into
// memory and into a file, next to the curl tool fetching the same body in the same run.
//   http [megabytes=200] [rounds=3]
#include "LoopbackServer.h"
#include "MainThread.h"
#include "WinHTTP.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

struct Figure {
    double seconds = 1e9;
    long peakKB = 0;
    bool ok = true;
};

long PeakRssKB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

// Resets the process's peak resident size, so each run reports its own peak.
void ResetPeakRss() { std::ofstream("/proc/self/clear_refs") << "5"; }

Figure RunCurlTool(const std::string& url, const std::string& target) {
    Figure f;
    const auto t0 = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execlp("curl", "curl", "-s", "--noproxy", "*", "-o", target.c_str(), url.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    f.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    f.peakKB = usage.ru_maxrss;
    f.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return f;
}

Figure RunComponent(const std::string& url, const std::string& output, bool withProgress, std::int64_t expected) {
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
    http.Start();
    while (!finished || http.Busy())
        MainThread::WaitAndProcess(50ms);
    f.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    f.peakKB = PeakRssKB() - before;
    f.ok = got == expected;
    return f;
}

template <class F> Figure Best(int rounds, F run) {
    Figure best;
    for (int i = 0; i < rounds; ++i) {
        const Figure f = run();
        best.ok = best.ok && f.ok;
        if (f.seconds < best.seconds)
            best.seconds = f.seconds;
        best.peakKB = std::max(best.peakKB, f.peakKB);
    }
    return best;
}

void Print(const char* name, const Figure& f, double megabytes, double reference) {
    const double rate = megabytes / f.seconds;
    std::printf("%-34s %8.3f s %9.1f MB/s %8ld KB peak %6.1f %%%s\n", name, f.seconds, rate, f.peakKB,
                reference > 0 ? 100.0 * rate / reference : 100.0, f.ok ? "" : "  (FAILED)");
}

} // namespace

int main(int argc, char** argv) {
    const std::int64_t megabytes = argc > 1 ? std::atoll(argv[1]) : 200;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
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
    const Figure curlNull = Best(rounds, [&] { return RunCurlTool(url, "/dev/null"); });
    const Figure curlFile = Best(rounds, [&] { return RunCurlTool(url, file); });
    const double nullRate = mb / curlNull.seconds;
    const double fileRate = mb / curlFile.seconds;
    Print("curl tool -> /dev/null", curlNull, mb, 0);
    Print("TWinHTTP -> memory", Best(rounds, [&] { return RunComponent(url, "", false, size); }), mb, nullRate);
    Print("TWinHTTP -> memory, OnProgress", Best(rounds, [&] { return RunComponent(url, "", true, size); }), mb,
          nullRate);
    Print("curl tool -> file", curlFile, mb, 0);
    Print("TWinHTTP -> file", Best(rounds, [&] { return RunComponent(url, file, false, size); }), mb, fileRate);
    Print("TWinHTTP -> file, OnProgress", Best(rounds, [&] { return RunComponent(url, file, true, size); }), mb,
          fileRate);
    std::printf("(curl tool peak is its whole process; %% is throughput against the curl tool's same target)\n");
    fs::remove_all(dir);
    return 0;
}
