// Converts the same inputs with the transcoding core and with the ffmpeg tool, using the
// same codecs, options and thread count, and prints wall time and peak memory of each.
// Every conversion runs in a child process so both sides are measured the same way.
//
//   transcode [seconds]      the codec cases on one thread (inputs of that length, default
//                            10), then the presets on a 720p input of 30 s
//   transcode presets        the presets only
//
// The presets run as the application runs them (recipe, encoder component, automatic
// threads), against the tool with the same settings at its default threads, then both
// on one thread.

#include "convert/EncoderSettings.h"
#include "engine/FFEncode.h"
#include "engine/FFLoad.h"
#include "engine/FFLog.h"
#include "engine/FFmpeg.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
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

bool loadEngine() {
    FFEngineStart();
    if (!FFLoader().LoadSet(FF_LOAD_SET)) {
        std::fprintf(stderr, "%s\n", FFLoader().LastError().c_str());
        return false;
    }
    FFLogger().SetLogLevel(llError);
    return true;
}

// Runs one case in this process with the engine.
int runEngine(const TCase& c) {
    if (!loadEngine())
        return 2;
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
    double cpuSeconds = 0; // user and system time of the child and its threads
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
    m.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
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

// ---- presets as the application runs them ------------------------------------------

struct TPresetCase {
    const char* name;
    TFormatId format;
    int preset;
    std::string toolArgs; // the same settings for the tool's output
};

const char* const kPresetInput = "in720.mp4";
constexpr int kPresetInputSeconds = 30;

std::vector<TPresetCase> presetCases() {
    return {
        {"AVI 3 MPEG-4+MP3 720p", fmtAVI, 3,
         "-c:v mpeg4 -vtag XVID -b:v 1500k -c:a libmp3lame -ac 2 -ar 44100 -b:a 192k"},
        // The recipe's x264 preset "libx264-default", in today's option names.
        {"MP4 4 H.264+AAC 848x480", fmtMP4, 4,
         "-c:v libx264 -s 848x480 -r 30000/1001 -aspect 16:9 -b:v 2600k -coder 1 -flags +loop -cmp +chroma "
         "-partitions i8x8,i4x4,p8x8,b8x8 -motion-est hex -subq 7 -me_range 16 -g 250 -keyint_min 25 "
         "-sc_threshold 40 -i_qfactor 0.71 -b_strategy 1 -qcomp 0.6 -qmin 10 -qmax 51 -qdiff 4 -bf 3 "
         "-refs 3 -direct-pred 1 -trellis 1 -mixed-refs 1 -weightb 1 -8x8dct 1 -fast-pskip 1 -weightp 2 "
         "-c:a aac -ac 2 -ar 48000 -b:a 256k"},
    };
}

std::string presetOutputFolder(size_t index, const char* side, int threads) {
    return g_dir + "/preset" + std::to_string(index) + "_" + side + "_t" + std::to_string(threads);
}

// Runs one preset in this process through the encoder component, as the window does.
int runPreset(size_t index, int threads) {
    if (!loadEngine())
        return 2;
    const TPresetCase c = presetCases()[index];
    const std::string folder = presetOutputFolder(index, "engine", threads);
    fs::remove_all(folder);
    fs::create_directories(folder);
    TOutputSelection selection;
    selection.OutputFileDir = folder + "/";
    const TFormatInfo& format = FormatInfo(c.format);
    selection.OutputFormatClass = format.Class;
    (format.Class == fcVideo ? selection.OutputVideoFormat : selection.OutputDeviceFormat) =
        static_cast<std::uint8_t>(format.IndexInClass);
    selection.Presets[c.format] = c.preset;

    TFFEncoder encoder;
    encoder.SetThreads(threads);
    if (!encoder.Decoder().LoadFile(input(kPresetInput))) {
        std::fprintf(stderr, "%s\n", encoder.Decoder().LastErrMsg().c_str());
        return 1;
    }
    std::optional<TEncoderSettings> settings = MakeEncoderSettings(selection, OpenInputOf(encoder.Decoder()));
    encoder.Decoder().CloseFile();
    if (!settings)
        return 1;
    const int task = encoder.AddTask(input(kPresetInput), &settings->InputOptions);
    if (task < 0 || !encoder.SetOutputFile(task, settings->OutputFileName, &settings->OutputOptions)) {
        std::fprintf(stderr, "%s\n", encoder.LastErrMsg().c_str());
        return 1;
    }
    bool completed = false;
    encoder.OnTerminate = [&](TCustomEncoder&, TTerminateInfo info) {
        if (info.TaskIndex >= 0) {
            completed = info.Completed;
            if (info.Failed)
                std::fprintf(stderr, "%s\n", info.ErrorMessage.c_str());
        }
    };
    encoder.StartTask(0);
    encoder.OnTerminate = nullptr;
    return completed ? 0 : 1;
}

std::vector<std::string> presetToolCommand(size_t index, int threads) {
    const TPresetCase c = presetCases()[index];
    const std::string folder = presetOutputFolder(index, "tool", threads);
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::vector<std::string> cmd = {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y"};
    const std::string count = std::to_string(threads);
    if (threads != kAutoThreads)
        cmd.insert(cmd.end(), {"-threads", count});
    cmd.insert(cmd.end(), {"-i", input(kPresetInput)});
    for (const auto& a : split(c.toolArgs))
        cmd.push_back(a);
    if (threads != kAutoThreads)
        cmd.insert(cmd.end(), {"-threads", count});
    cmd.push_back(folder + "/out" + std::string(FormatInfo(c.format).Extension));
    return cmd;
}

// The one file a side wrote into its folder.
std::string outputIn(const std::string& folder) {
    for (const auto& entry : fs::directory_iterator(folder))
        return entry.path().string();
    return {};
}

// The settings x264 writes into its stream ("options: ..."), without the thread counts;
// empty for other encoders.
std::string x264Settings(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string data((std::istreambuf_iterator<char>(in)), {});
    const size_t at = data.find("options: ");
    if (at == std::string::npos)
        return {};
    std::istringstream words(data.substr(at + 9, data.find('\0', at) - at - 9));
    std::string word, kept;
    while (words >> word)
        if (word.find("threads=") == std::string::npos)
            kept += word + " ";
    return kept;
}

bool makePresetInput() {
    if (fs::exists(input(kPresetInput)))
        return true;
    const std::string len = std::to_string(kPresetInputSeconds);
    const std::string cmd =
        "ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "
        "testsrc2=size=1280x720:rate=25:duration=" +
        len + " -f lavfi -i sine=frequency=440:sample_rate=48000:duration=" + len +
        " -ac 2 -c:v libx264 -preset veryfast -b:v 4M -pix_fmt yuv420p -c:a aac -b:a 160k -shortest '" +
        input(kPresetInput) + "'";
    return std::system(cmd.c_str()) == 0;
}

// Best of three runs each, alternating, so a busy moment hurts neither side; false, with a
// line under name, when a run fails.
bool bestOfThree(const std::vector<std::string>& toolArgs, const std::vector<std::string>& engineArgs,
                 const char* name, int width, TMeasure& engine, TMeasure& tool) {
    for (int round = 0; round < 3; round++) {
        const TMeasure t = measure(toolArgs);
        const TMeasure e = measure(engineArgs);
        if (e.status != 0 || t.status != 0) {
            std::printf("%-*s failed (engine %d, tool %d)\n", width, name, e.status, t.status);
            return false;
        }
        if (round == 0 || e.seconds < engine.seconds)
            engine = e;
        if (round == 0 || t.seconds < tool.seconds)
            tool = t;
    }
    return true;
}

void runPresetTable(const char* self) {
    if (!makePresetInput()) {
        std::fprintf(stderr, "cannot make the 720p input with the ffmpeg tool\n");
        return;
    }
    std::printf(
        "\nPresets on a %d s 1280x720 H.264+AAC input, best of 3 (threads: auto = the tool's default)\n",
        kPresetInputSeconds);
    std::printf("%-26s %7s %9s %9s %7s %7s %10s %10s %7s %8s %8s\n", "preset", "threads", "engine s",
                "tool s", "ratio", "cpu", "engine MB", "tool MB", "ratio", "out MB", "tool MB");
    std::printf("(cpu: the engine's processor time over the tool's, in the runs timed)\n");
    const auto all = presetCases();
    for (size_t i = 0; i < all.size(); i++) {
        for (const int threads : {kAutoThreads, 1}) {
            TMeasure engine, tool;
            if (!bestOfThree(presetToolCommand(i, threads),
                             {self, "--preset", std::to_string(i), std::to_string(threads)}, all[i].name, 26,
                             engine, tool))
                continue;
            const std::string engineOut = outputIn(presetOutputFolder(i, "engine", threads));
            const std::string toolOut = outputIn(presetOutputFolder(i, "tool", threads));
            std::printf("%-26s %7s %9.2f %9.2f %7.3f %7.3f %10.1f %10.1f %7.3f %8.2f %8.2f\n", all[i].name,
                        threads == kAutoThreads ? "auto" : "1", engine.seconds, tool.seconds,
                        engine.seconds / tool.seconds, engine.cpuSeconds / tool.cpuSeconds,
                        engine.maxRssKb / 1024.0, tool.maxRssKb / 1024.0,
                        double(engine.maxRssKb) / double(tool.maxRssKb), fs::file_size(engineOut) / 1e6,
                        fs::file_size(toolOut) / 1e6);
            if (x264Settings(engineOut) != x264Settings(toolOut))
                std::printf("  x264 settings differ:\n  engine: %s\n  tool:   %s\n",
                            x264Settings(engineOut).c_str(), x264Settings(toolOut).c_str());
            std::fflush(stdout);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    g_dir = (fs::temp_directory_path() / "mediawiz-bench-transcode").string();
    if (argc == 3 && std::string(argv[1]) == "--case")
        return runEngine(cases()[size_t(std::atoi(argv[2]))]);
    if (argc == 4 && std::string(argv[1]) == "--preset")
        return runPreset(size_t(std::atoi(argv[2])), std::atoi(argv[3]));

    fs::create_directories(g_dir);
    if (argc > 1 && std::string(argv[1]) == "presets") {
        runPresetTable(argv[0]);
        return 0;
    }
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    if (!makeInputs(seconds)) {
        std::fprintf(stderr, "cannot make the inputs with the ffmpeg tool\n");
        return 1;
    }
    std::printf("%-36s %9s %9s %7s %10s %10s %7s\n", "case (threads 1)", "engine s", "tool s", "ratio",
                "engine MB", "tool MB", "ratio");
    const auto all = cases();
    for (size_t i = 0; i < all.size(); i++) {
        TMeasure engine, tool;
        if (!bestOfThree(toolCommand(all[i]), {argv[0], "--case", std::to_string(i)}, all[i].name, 36, engine,
                         tool))
            continue;
        std::printf("%-36s %9.2f %9.2f %7.3f %10.1f %10.1f %7.3f\n", all[i].name, engine.seconds,
                    tool.seconds, engine.seconds / tool.seconds, engine.maxRssKb / 1024.0,
                    tool.maxRssKb / 1024.0, double(engine.maxRssKb) / double(tool.maxRssKb));
    }
    runPresetTable(argv[0]);
    return 0;
}
