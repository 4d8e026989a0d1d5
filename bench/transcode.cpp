// Converts the same inputs with the transcoding core and with the ffmpeg tool, using the
// same codecs, options and thread count, and prints wall time and peak memory of each.
// Every conversion runs in a child process so both sides are measured the same way.
//
//   transcode [seconds]      run all cases (inputs of that length, default 10)

#include "FFLoad.h"
#include "FFLog.h"
#include "FFmpeg.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct TCase {
    const char* name;
    std::vector<std::string> inputs;                          // fixture names
    const char* output;                                       // file name
    std::vector<std::pair<std::string, std::string>> options; // engine options (before the output)
    std::string toolArgs;                                     // the tool's output options
};

std::string g_dir;

std::string input(const std::string& name) {
    return g_dir + "/" + name;
}

std::vector<TCase> cases() {
    return {
        {"H.264+AAC MP4 640x480",
         {"in640.mp4"},
         "out_h264.mp4",
         {{"vcodec", "libx264"}, {"acodec", "libfaac"}, {"b", "1000000"}, {"g", "250"}, {"ab", "128000"}},
         "-c:v libx264 -b:v 1000k -g 250 -c:a aac -b:a 128k"},
        {"MPEG-4 ASP AVI",
         {"in640.mp4"},
         "out_xvid.avi",
         {{"vcodec", "mpeg4"},
          {"vtag", "XVID"},
          {"acodec", "libmp3lame"},
          {"b", "1500000"},
          {"ab", "192000"}},
         "-c:v mpeg4 -vtag XVID -b:v 1500k -c:a libmp3lame -b:a 192k"},
        {"MP3 320 kbps",
         {"in640.mp4"},
         "out.mp3",
         {{"vn", "1"}, {"acodec", "libmp3lame"}, {"ab", "320000"}, {"ar", "48000"}, {"ac", "2"}},
         "-vn -c:a libmp3lame -b:a 320k -ar 48000 -ac 2"},
        {"Joined MPEG-4+AAC MP4 (3 inputs)",
         {"in640.mp4", "in640b.mp4", "in640.mp4"},
         "out_join.mp4",
         {{"vcodec", "mpeg4"}, {"acodec", "libfaac"}, {"b", "1500000"}, {"ab", "128000"}},
         "-c:v mpeg4 -b:v 1500k -c:a aac -b:a 128k"},
    };
}

// Runs one case in this process with the engine.
int runEngine(const TCase& c) {
    FFEngineStart();
    if (!FFLoader().LoadSet(FF_LOAD_SET)) {
        std::fprintf(stderr, "%s\n", FFLoader().LastError().c_str());
        return 2;
    }
    FFLogger().SetLogLevel(llError);
    TCustomFFmpeg task;
    for (const auto& in : c.inputs)
        if (!task.OpenInput(input(in))) {
            std::fprintf(stderr, "%s\n", task.LastErrMsg().c_str());
            return 1;
        }
    task.SetOption("threads", "1");
    for (const auto& [name, value] : c.options)
        task.SetOption(name, value);
    if (task.OpenOutput(input(c.output), c.inputs.size() > 1) < 0) {
        std::fprintf(stderr, "%s\n", task.LastErrMsg().c_str());
        return 1;
    }
    task.Start(false);
    if (task.Failed())
        std::fprintf(stderr, "%s\n", task.ErrorMessage().c_str());
    return task.Completed() ? 0 : 1;
}

struct TMeasure {
    double seconds = 0;
    long maxRssKb = 0;
    int status = -1;
};

TMeasure measure(const std::vector<std::string>& argv) {
    TMeasure m;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.maxRssKb = usage.ru_maxrss;
    m.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return m;
}

std::vector<std::string> split(const std::string& s) {
    std::vector<std::string> out;
    std::string cur;
    for (char ch : s) {
        if (ch == ' ') {
            if (!cur.empty())
                out.push_back(cur);
            cur.clear();
        } else {
            cur += ch;
        }
    }
    if (!cur.empty())
        out.push_back(cur);
    return out;
}

std::vector<std::string> toolCommand(const TCase& c) {
    std::vector<std::string> cmd = {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y"};
    if (c.inputs.size() > 1) {
        const std::string list = g_dir + "/join.txt";
        std::ofstream out(list);
        for (const auto& in : c.inputs)
            out << "file '" << input(in) << "'\n";
        for (const char* a : {"-threads", "1", "-f", "concat", "-safe", "0", "-i"})
            cmd.push_back(a);
        cmd.push_back(list);
    } else {
        cmd.insert(cmd.end(), {"-threads", "1", "-i", input(c.inputs[0])});
    }
    for (const auto& a : split(c.toolArgs + " -threads 1"))
        cmd.push_back(a);
    cmd.push_back(g_dir + "/tool_" + c.output);
    return cmd;
}

bool makeInputs(int seconds) {
    const std::string len = std::to_string(seconds);
    const std::string a =
        "ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i testsrc=size=640x480:rate=25:duration=" +
        len + " -f lavfi -i sine=frequency=440:sample_rate=44100:duration=" + len +
        " -ac 2 -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -shortest '" + input("in640.mp4") +
        "'";
    const std::string b = "ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "
                          "smptebars=size=640x480:rate=25:duration=" +
                          len + " -f lavfi -i sine=frequency=660:sample_rate=44100:duration=" + len +
                          " -ac 2 -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -shortest '" +
                          input("in640b.mp4") + "'";
    return std::system(a.c_str()) == 0 && std::system(b.c_str()) == 0;
}

} // namespace

int main(int argc, char** argv) {
    g_dir = (fs::temp_directory_path() / "mediawiz-bench-transcode").string();
    if (argc == 3 && std::string(argv[1]) == "--case")
        return runEngine(cases()[size_t(std::atoi(argv[2]))]);

    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    fs::create_directories(g_dir);
    if (!makeInputs(seconds)) {
        std::fprintf(stderr, "cannot make the inputs with the ffmpeg tool\n");
        return 1;
    }
    std::printf("%-36s %9s %9s %7s %10s %10s %7s\n", "case (threads 1)", "engine s", "tool s", "ratio",
                "engine MB", "tool MB", "ratio");
    const auto all = cases();
    for (size_t i = 0; i < all.size(); i++) {
        // Best of three runs each, alternating, so a busy moment hurts neither side.
        TMeasure engine, tool;
        for (int round = 0; round < 3; round++) {
            const TMeasure t = measure(toolCommand(all[i]));
            const TMeasure e = measure({argv[0], "--case", std::to_string(i)});
            if (e.status != 0 || t.status != 0) {
                std::printf("%-36s failed (engine %d, tool %d)\n", all[i].name, e.status, t.status);
                break;
            }
            if (round == 0 || e.seconds < engine.seconds)
                engine = e;
            if (round == 0 || t.seconds < tool.seconds)
                tool = t;
        }
        if (engine.status != 0 || tool.status != 0)
            continue;
        std::printf("%-36s %9.2f %9.2f %7.3f %10.1f %10.1f %7.3f\n", all[i].name, engine.seconds,
                    tool.seconds, engine.seconds / tool.seconds, engine.maxRssKb / 1024.0,
                    tool.maxRssKb / 1024.0, double(engine.maxRssKb) / double(tool.maxRssKb));
    }
    return 0;
}
