// Converts a one-second input with every preset of every format, the way the
// conversion run queues its tasks, and checks each output by probing it.

#include "MediaProbe.h"
#include "common/Fixtures.h"
#include "convert/EncoderSettings.h"
#include "engine/FFEncode.h"
#include "engine/FFLoad.h"
#include "support/MainThread.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

// Names the format in test listings.
void PrintTo(TFormatId id, std::ostream* os) {
    *os << FormatInfo(id).Name;
}

namespace {

constexpr double kInputDurationSec = 1.0;
constexpr int kInputWidth = 176, kInputHeight = 144, kInputChannels = 2, kInputSampleRate = 44100;
constexpr double kInputFrameRate = 25;

// What a container holds when the recipe names no codec, and how the probe names it.
struct TContainerRule {
    const char* Key; // forced format name, else the file extension
    const char* FormatName;
    const char* MajorBrand; // ISO family only
    const char* DefaultVideo;
    const char* DefaultAudio;
};

// clang-format off
const TContainerRule kContainers[] = {
    {".wav",  "wav",                     nullptr, nullptr,      "pcm_s16le"},
    {".mp3",  "mp3",                     nullptr, nullptr,      "mp3"},
    {".wma",  "asf",                     nullptr, "wmv2",       "wmav2"},
    {".ogg",  "ogg",                     nullptr, nullptr,      "vorbis"},
    {".aac",  "aac",                     nullptr, nullptr,      "aac"},
    {".m4a",  "mov,mp4,m4a,3gp,3g2,mj2", "M4A ",  nullptr,      "aac"},
    {".flac", "flac",                    nullptr, nullptr,      "flac"},
    {".mp2",  "mp3",                     nullptr, nullptr,      "mp2"}, // layer 2 is read by the MPEG audio demuxer
    {".avi",  "avi",                     nullptr, "mpeg4",      "mp3"},
    {".mp4",  "mov,mp4,m4a,3gp,3g2,mj2", "isom",  "h264",       "aac"},
    {".flv",  "flv",                     nullptr, "flv1",       "mp3"},
    {".swf",  "swf",                     nullptr, "flv1",       "mp3"},
    {".mpg",  "mpeg",                    nullptr, "mpeg1video", "mp2"},
    {".rm",   "rm",                      nullptr, "rv10",       "ac3"},
    {".wmv",  "asf",                     nullptr, "wmv2",       "wmav2"},
    {".mov",  "mov,mp4,m4a,3gp,3g2,mj2", "qt  ",  "h264",       "aac"},
    {".3gp",  "mov,mp4,m4a,3gp,3g2,mj2", "3gp4",  "h263",       "amr_nb"},
    {"psp",   "mov,mp4,m4a,3gp,3g2,mj2", "MSNV",  "mpeg4",      "aac"},
};

// Encoder names of the recipes whose coded stream the probe names differently.
const std::pair<const char*, const char*> kCodecOfEncoder[] = {
    {"libmp3lame", "mp3"}, {"libfaac", "aac"}, {"libvorbis", "vorbis"}, {"libx264", "h264"},
};

// Sample rates of the codecs that take only some; others take what they are given.
const std::pair<const char*, std::vector<int>> kCodecSampleRates[] = {
    {"aac",    {96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000, 7350}},
    {"mp3",    {44100, 48000, 32000, 22050, 24000, 16000, 11025, 12000, 8000}},
    {"mp2",    {44100, 48000, 32000, 22050, 24000, 16000}},
    {"ac3",    {48000, 44100, 32000}},
    {"amr_nb", {8000}},
};
// clang-format on

// The standard settings of a DVD, SVCD or VCD target, by TargetType.
struct TTargetRule {
    const char* Video;
    const char* Audio;
    double DisplayAspect; // when the recipe sets none
    int PalWidth, PalHeight, NtscWidth, NtscHeight;
    int SampleRate;
    long long AudioBitrate;
};
const TTargetRule kTargets[] = {
    {"mpeg1video", "mp2", 4.0 / 3, 352, 288, 352, 240, 44100, 224000},  // VCD
    {"mpeg2video", "mp2", 4.0 / 3, 480, 576, 480, 480, 44100, 224000},  // SVCD
    {"mpeg2video", "ac3", 16.0 / 9, 720, 576, 720, 480, 48000, 448000}, // DVD
};

struct TExpected {
    const TContainerRule* Container = nullptr;
    std::string Extension;
    bool HasVideo = true;
    std::string VideoCodec, VideoTag;
    int Width = kInputWidth, Height = kInputHeight;
    double FrameRate = kInputFrameRate;
    double DisplayAspect = 0; // checked when the recipe or its target sets one
    std::string AudioCodec;
    int Channels = kInputChannels, SampleRate = kInputSampleRate;
    long long AudioBitrate = 0; // checked for constant-rate codecs and targets
};

std::string codecOfEncoder(const std::string& encoder) {
    for (const auto& [name, codec] : kCodecOfEncoder)
        if (encoder == name)
            return codec;
    return encoder;
}

int closestSampleRate(const std::string& codec, int wanted) {
    for (const auto& [name, rates] : kCodecSampleRates)
        if (codec == name)
            return *std::min_element(rates.begin(), rates.end(), [wanted](int a, int b) {
                return std::abs(a - wanted) < std::abs(b - wanted);
            });
    return wanted;
}

double parseRate(const std::string& text) {
    int num = 0, den = 1;
    if (std::sscanf(text.c_str(), "%d/%d", &num, &den) < 1 || den == 0)
        return 0;
    return static_cast<double>(num) / den;
}

TExpected expectationOf(const TOutputOptions& o, const std::string& extension) {
    TExpected e;
    e.Extension = extension;
    const std::string key = o.FileFormat.empty() ? extension : o.FileFormat;
    for (const TContainerRule& rule : kContainers)
        if (key == rule.Key)
            e.Container = &rule;
    if (!e.Container)
        return e;
    const TTargetRule* target =
        o.TargetType >= 1 && o.TargetType <= 3 ? &kTargets[o.TargetType - 1] : nullptr;
    const bool ntsc = o.TargetNorm == 2;

    e.HasVideo = !o.VideoDisable && e.Container->DefaultVideo;
    e.VideoCodec = !o.VideoCodec.empty()       ? codecOfEncoder(o.VideoCodec)
                   : target                    ? target->Video
                   : e.Container->DefaultVideo ? e.Container->DefaultVideo
                                               : "";
    e.VideoTag = o.VideoTag;
    if (!o.FrameSize.empty())
        std::sscanf(o.FrameSize.c_str(), "%dx%d", &e.Width, &e.Height);
    else if (target) {
        e.Width = ntsc ? target->NtscWidth : target->PalWidth;
        e.Height = ntsc ? target->NtscHeight : target->PalHeight;
    }
    if (!o.FrameRate.empty())
        e.FrameRate = parseRate(o.FrameRate);
    else if (target)
        e.FrameRate = ntsc ? 30000.0 / 1001 : 25;
    if (!o.AspectRatio.empty()) {
        int num = 0, den = 0;
        if (std::sscanf(o.AspectRatio.c_str(), "%d:%d", &num, &den) == 2 && den > 0)
            e.DisplayAspect = static_cast<double>(num) / den;
    } else if (target)
        e.DisplayAspect = target->DisplayAspect;

    e.AudioCodec = !o.AudioCodec.empty() ? codecOfEncoder(o.AudioCodec)
                   : target              ? target->Audio
                                         : e.Container->DefaultAudio;
    if (o.AudioChannels > 0)
        e.Channels = o.AudioChannels;
    const int rate = o.AudioSampleRate > 0 ? o.AudioSampleRate
                     : target              ? target->SampleRate
                                           : kInputSampleRate;
    e.SampleRate = closestSampleRate(e.AudioCodec, rate);
    if (target)
        e.AudioBitrate = target->AudioBitrate;
    else if (o.AudioBitrate > 0 &&
             (e.AudioCodec == "mp3" || e.AudioCodec == "mp2" || e.AudioCodec == "wmav2"))
        e.AudioBitrate = o.AudioBitrate;
    return e;
}

// Every difference between the probed output and the expectation, as text.
std::string mismatches(const TExpected& e, const std::string& path, const std::optional<TProbedFile>& file) {
    std::ostringstream out;
    if (!e.Container)
        return "no container rule for the recipe";
    if (std::filesystem::path(path).extension() != e.Extension)
        out << "extension " << std::filesystem::path(path).extension() << "; ";
    if (!file)
        return "output unreadable";
    if (file->FormatName != e.Container->FormatName)
        out << "container " << file->FormatName << " (want " << e.Container->FormatName << "); ";
    if (e.Container->MajorBrand && file->MajorBrand != e.Container->MajorBrand)
        out << "brand '" << file->MajorBrand << "' (want '" << e.Container->MajorBrand << "'); ";
    if (std::abs(file->DurationSec - kInputDurationSec) > 0.3)
        out << "duration " << file->DurationSec << "; ";

    if (e.HasVideo != file->Video.has_value())
        out << (e.HasVideo ? "no video; " : "unexpected video; ");
    if (e.HasVideo && file->Video) {
        const TProbedStream& v = *file->Video;
        if (v.CodecName != e.VideoCodec)
            out << "video " << v.CodecName << " (want " << e.VideoCodec << "); ";
        if (!e.VideoTag.empty() && v.CodecTag != e.VideoTag)
            out << "tag " << v.CodecTag << " (want " << e.VideoTag << "); ";
        if (v.Width != e.Width || v.Height != e.Height)
            out << "size " << v.Width << "x" << v.Height << " (want " << e.Width << "x" << e.Height << "); ";
        if (std::abs(v.FrameRate - e.FrameRate) > e.FrameRate * 0.02)
            out << "rate " << v.FrameRate << " (want " << e.FrameRate << "); ";
        if (e.DisplayAspect && std::abs(v.DisplayAspect - e.DisplayAspect) > e.DisplayAspect * 0.01)
            out << "aspect " << v.DisplayAspect << " (want " << e.DisplayAspect << "); ";
    }
    if (!file->Audio)
        return out.str() + "no audio; ";
    const TProbedStream& a = *file->Audio;
    if (a.CodecName != e.AudioCodec)
        out << "audio " << a.CodecName << " (want " << e.AudioCodec << "); ";
    if (a.Channels != e.Channels)
        out << "channels " << a.Channels << " (want " << e.Channels << "); ";
    if (a.SampleRate != e.SampleRate)
        out << "sample rate " << a.SampleRate << " (want " << e.SampleRate << "); ";
    // Some containers state the average of what was written rather than the nominal rate.
    if (e.AudioBitrate && std::abs(a.BitRate - e.AudioBitrate) > e.AudioBitrate / 20)
        out << "audio bit rate " << a.BitRate << " (want " << e.AudioBitrate << "); ";
    return out.str();
}

std::string summaryOf(const TProbedFile& file) {
    std::ostringstream out;
    out << file.FormatName.substr(0, file.FormatName.find(',')) << " " << file.DurationSec << "s";
    if (file.Video)
        out << " | " << file.Video->CodecName << " " << file.Video->Width << "x" << file.Video->Height << " @"
            << file.Video->FrameRate;
    if (file.Audio)
        out << " | " << file.Audio->CodecName << " " << file.Audio->Channels << "ch "
            << file.Audio->SampleRate << " " << file.Audio->BitRate / 1000 << "k";
    return out.str();
}

// The format page's choice of one preset, writing into folder (created).
TOutputSelection selectionFor(const TFormatInfo& format, int preset, const std::string& folder) {
    TOutputSelection selection;
    selection.OutputFileDir = folder + "/";
    std::filesystem::create_directories(folder);
    selection.OutputFormatClass = format.Class;
    (format.Class == fcAudio   ? selection.OutputAudioFormat
     : format.Class == fcVideo ? selection.OutputVideoFormat
                               : selection.OutputDeviceFormat) =
        static_cast<std::uint8_t>(format.IndexInClass);
    selection.Presets[format.Id] = preset;
    return selection;
}

// Runs the encoder's queued tasks two at a time, as far as their ends, pumping the
// main-thread calls meanwhile; returns each task's end report by task index.
std::vector<TTerminateInfo> runQueuedTasks(TFFEncoder& encoder) {
    std::vector<TTerminateInfo> ends(encoder.TaskCount());
    if (ends.empty())
        return ends;
    std::mutex lock; // guards ends and ended
    int ended = 0;
    std::atomic<bool> runEnded{false};
    encoder.OnTerminate = [&](TCustomEncoder&, TTerminateInfo info) {
        if (info.TaskIndex < 0) {
            runEnded = true;
            return;
        }
        std::lock_guard g(lock);
        ends.at(info.TaskIndex) = info;
        ++ended;
    };
    encoder.StartTask(2);
    for (;;) {
        MainThread::PumpSlice(std::chrono::milliseconds(50));
        std::lock_guard g(lock);
        if (runEnded && ended >= static_cast<int>(ends.size()))
            break;
    }
    encoder.ClearTasks();
    encoder.OnTerminate = nullptr;
    return ends;
}

// One preset's conversion: queued, run, probed.
struct TProofCase {
    int Preset = 0;
    std::string OutputFile;
    TExpected Expected;
    std::string Failure; // empty when it passed
};

class ConversionProof : public ::testing::TestWithParam<TFormatId> {
protected:
    static void SetUpTestSuite() { FFEngineStart(); }
};

TEST_P(ConversionProof, EveryPresetConvertsToWhatItsRecipeAsks) {
    const TFormatInfo& format = FormatInfo(GetParam());
    const std::string input = Fixtures::Path(format.Class == fcAudio ? "proof_audio.mp3" : "proof_av.mp4");
    const std::string root = Fixtures::ScratchFolder("proof_" + std::string(format.Name));

    TFFEncoder encoder;
    ASSERT_TRUE(encoder.LibrariesLoaded() || encoder.LoadLibraries("")) << encoder.LastErrMsg();
    encoder.SetThreads(kAutoThreads); // as the window and the command line run

    // The probe decoder has the input open while its settings are made, as in the run.
    ASSERT_TRUE(encoder.Decoder().LoadFile(input)) << encoder.Decoder().LastErrMsg();
    const TOpenInput openInput = OpenInputOf(encoder.Decoder());
    encoder.Decoder().CloseFile();
    EXPECT_EQ(openInput.FileName, input);
    EXPECT_NEAR(openInput.AudioBitRate, 128000, 8000) << "the lossless WMA preset copies it";

    std::vector<TProofCase> cases(format.Presets.size());
    std::vector<TProofCase*> tasks; // by task index
    for (int preset = 0; preset < static_cast<int>(cases.size()); ++preset) {
        TProofCase& c = cases[preset];
        c.Preset = preset;
        const TOutputSelection selection = selectionFor(format, preset, root + "/" + std::to_string(preset));

        std::optional<TEncoderSettings> settings = MakeEncoderSettings(selection, openInput);
        ASSERT_TRUE(settings);
        c.OutputFile = settings->OutputFileName;
        c.Expected = expectationOf(settings->OutputOptions, std::string(format.Extension));
        const int task = encoder.AddTask(input, &settings->InputOptions);
        if (task < 0) {
            c.Failure = "Adding file error: " + encoder.LastErrMsg();
            continue;
        }
        if (!encoder.SetOutputFile(task, settings->OutputFileName, &settings->OutputOptions)) {
            c.Failure = "Cannot do convert, error: " + encoder.LastErrMsg();
            encoder.RemoveTask(task);
            continue;
        }
        tasks.push_back(&c);
    }

    const std::vector<TTerminateInfo> ends = runQueuedTasks(encoder);
    for (size_t i = 0; i < tasks.size(); ++i) {
        if (ends[i].Failed)
            tasks[i]->Failure = "failed: " + ends[i].ErrorMessage;
        else if (!ends[i].Completed)
            tasks[i]->Failure = "did not complete";
    }

    std::ostringstream table;
    int passed = 0;
    for (TProofCase& c : cases) {
        std::optional<TProbedFile> file;
        if (c.Failure.empty()) {
            file = ProbeMedia(c.OutputFile);
            c.Failure = mismatches(c.Expected, c.OutputFile, file);
        }
        passed += c.Failure.empty();
        char row[64];
        std::snprintf(row, sizeof row, "%-12s %2d  %-4s ", std::string(format.Name).c_str(), c.Preset,
                      c.Failure.empty() ? "ok" : "FAIL");
        table << row << (c.Failure.empty() ? summaryOf(*file) : c.Failure) << "\n";
    }
    std::printf("%s%s: %d of %zu presets pass\n", table.str().c_str(), std::string(format.Name).c_str(),
                passed, cases.size());
    if (passed == static_cast<int>(cases.size()))
        std::filesystem::remove_all(root); // failed outputs stay for a look
    for (const TProofCase& c : cases)
        EXPECT_TRUE(c.Failure.empty()) << format.Name << " preset " << c.Preset << " \""
                                       << format.Presets[c.Preset] << "\": " << c.Failure;
}

class ConversionRunProof : public ::testing::Test {
protected:
    static void SetUpTestSuite() { FFEngineStart(); }
    void SetUp() override {
        ASSERT_TRUE(encoder.LibrariesLoaded() || encoder.LoadLibraries("")) << encoder.LastErrMsg();
        encoder.SetThreads(kAutoThreads);
    }

    // Queues one task for the input as the run does; false with the reason recorded.
    bool queue(const TOutputSelection& selection, const std::string& input) {
        if (!encoder.Decoder().LoadFile(input))
            return false;
        std::optional<TEncoderSettings> settings =
            MakeEncoderSettings(selection, OpenInputOf(encoder.Decoder()));
        encoder.Decoder().CloseFile();
        if (!settings)
            return false;
        const int task = encoder.AddTask(input, &settings->InputOptions);
        return task >= 0 && encoder.SetOutputFile(task, settings->OutputFileName, &settings->OutputOptions);
    }

    TFFEncoder encoder;
};

TEST_F(ConversionRunProof, InputsOfTheSameNameGetNumberedOutputs) {
    // Each output is opened when its task is queued, so the next name skips it.
    const std::string root = Fixtures::ScratchFolder("proof_same_name");
    for (const char* sub : {"a", "b"}) {
        std::filesystem::create_directories(root + "/" + sub);
        std::filesystem::copy_file(Fixtures::Path("proof_audio.mp3"), root + "/" + sub + "/song.mp3");
    }
    const TOutputSelection selection = selectionFor(FormatInfo(fmtOGG), 3, root + "/out");
    ASSERT_TRUE(queue(selection, root + "/a/song.mp3")) << encoder.LastErrMsg();
    ASSERT_TRUE(queue(selection, root + "/b/song.mp3")) << encoder.LastErrMsg();
    for (const TTerminateInfo& end : runQueuedTasks(encoder))
        EXPECT_TRUE(end.Completed && !end.Failed) << end.ErrorMessage;
    for (const char* name : {"/out/song.ogg", "/out/song(1).ogg"}) {
        const std::optional<TProbedFile> file = ProbeMedia(root + name);
        ASSERT_TRUE(file && file->Audio) << name;
        EXPECT_EQ(file->Audio->CodecName, "vorbis");
        EXPECT_NEAR(file->DurationSec, kInputDurationSec, 0.3) << name;
    }
    std::filesystem::remove_all(root);
}

TEST_F(ConversionRunProof, JoinModeWritesOneMergedOutput) {
    const std::string root = Fixtures::ScratchFolder("proof_join");
    const std::string input = Fixtures::Path("proof_av.mp4");
    const std::optional<TEncoderSettings> settings =
        MakeJoinSettings(selectionFor(FormatInfo(fmtAVI), 3, root));
    ASSERT_TRUE(settings);
    for (int i = 0; i < 2; ++i) {
        TInputOptions options = InitInputOptions();
        ASSERT_TRUE(i == 0 ? encoder.AddTask(input, &options) == 0 : encoder.AddInputFile(0, input, &options))
            << encoder.LastErrMsg();
    }
    TOutputOptions options = settings->OutputOptions;
    ASSERT_TRUE(encoder.SetOutputFile(0, settings->OutputFileName, &options)) << encoder.LastErrMsg();
    const std::vector<TTerminateInfo> ends = runQueuedTasks(encoder);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_TRUE(ends[0].Completed && !ends[0].Failed) << ends[0].ErrorMessage;

    EXPECT_EQ(settings->OutputFileName, root + "/Output_Merge.avi");
    const std::optional<TProbedFile> file = ProbeMedia(settings->OutputFileName);
    ASSERT_TRUE(file && file->Video && file->Audio);
    EXPECT_EQ(file->Video->CodecName, "mpeg4");
    EXPECT_EQ(file->Video->CodecTag, "XVID");
    EXPECT_EQ(file->Audio->CodecName, "mp3");
    EXPECT_NEAR(file->DurationSec, 2 * kInputDurationSec, 0.3);
    std::filesystem::remove_all(root);
}

// The video of a converted file as a bare stream of the given format, copied out by the
// ffmpeg tool.
std::string videoStreamOf(const std::string& file, const std::string& format, const char* filter = "") {
    const std::string bare = file + ".video";
    const std::string cmd = "ffmpeg -nostdin -v error -y -i '" + file + "' -map 0:v -c copy " + filter +
                            " -f " + format + " '" + bare + "'";
    if (std::system(cmd.c_str()) != 0)
        return {};
    std::ifstream in(bare, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Positions just past each "00 00 01" start code prefix.
std::vector<size_t> startCodes(const std::string& s) {
    std::vector<size_t> at;
    for (size_t i = 0; i + 3 < s.size(); ++i)
        if (s[i] == 0 && s[i + 1] == 0 && s[i + 2] == 1)
            at.push_back(i + 3);
    return at;
}

// MPEG-4 part 2: video packets per picture beyond the first. A resync marker is 16 or more
// zero bits and a one, byte aligned, inside a picture (a start code has 23 zero bits).
double resyncMarkersPerPicture(const std::string& s) {
    const std::vector<size_t> at = startCodes(s);
    int pictures = 0, markers = 0;
    for (size_t k = 0; k < at.size(); ++k) {
        if (static_cast<unsigned char>(s[at[k]]) != 0xB6)
            continue;
        ++pictures;
        const size_t end = k + 1 < at.size() ? at[k + 1] - 3 : s.size();
        for (size_t i = at[k] + 1; i + 2 < end; ++i)
            markers += s[i] == 0 && s[i + 1] == 0 && static_cast<unsigned char>(s[i + 2]) > 1;
    }
    return pictures ? double(markers) / pictures : -1;
}

// MPEG-1/2 slices (start codes 01 to AF) per picture (start code 00).
double mpegSlicesPerPicture(const std::string& s) {
    int pictures = 0, slices = 0;
    for (size_t at : startCodes(s)) {
        const auto code = static_cast<unsigned char>(s[at]);
        pictures += code == 0;
        slices += code >= 0x01 && code <= 0xAF;
    }
    return pictures ? double(slices) / pictures : -1;
}

// H.264 (Annex B): slices per picture; a picture's first slice starts at macroblock 0.
double h264SlicesPerPicture(const std::string& s) {
    int pictures = 0, slices = 0;
    for (size_t at : startCodes(s)) {
        const int type = s[at] & 0x1F;
        if ((type == 1 || type == 5) && at + 1 < s.size()) {
            ++slices;
            pictures += (static_cast<unsigned char>(s[at + 1]) & 0x80) != 0;
        }
    }
    return pictures ? double(slices) / pictures : -1;
}

// With automatic threads the devices' streams are laid out as one thread writes them,
// while a computer preset's MPEG-4 encoder does run on threads.
TEST_F(ConversionRunProof, AutomaticThreadsKeepDeviceStreamsAsOneThreadWritesThem) {
    const std::string root = Fixtures::ScratchFolder("proof_threads");
    const std::string input = Fixtures::Path("proof_av.mp4");
    const struct {
        TFormatId Format;
        int Preset;
    } presets[] = {{fmtAVI, 3}, {fmtMobilePhone, 1}, {fmt3GP, 1}, {fmtMPEG, 13}, {fmtMPEG, 3}, {fmtiPod, 0}};
    std::vector<std::string> outputs; // each opened in a folder of its own when queued
    for (const auto& p : presets) {
        const std::string folder = root + "/" + std::to_string(outputs.size());
        ASSERT_TRUE(queue(selectionFor(FormatInfo(p.Format), p.Preset, folder), input))
            << encoder.LastErrMsg();
        outputs.push_back(std::filesystem::directory_iterator(folder)->path().string());
    }
    for (const TTerminateInfo& end : runQueuedTasks(encoder))
        ASSERT_TRUE(end.Completed && !end.Failed) << end.ErrorMessage;

    if (std::thread::hardware_concurrency() >= 2)
        EXPECT_GT(resyncMarkersPerPicture(videoStreamOf(outputs[0], "m4v")), 0) << "AVI for computers";
    EXPECT_EQ(resyncMarkersPerPicture(videoStreamOf(outputs[1], "m4v")), 0) << "mobile phone";
    EXPECT_EQ(resyncMarkersPerPicture(videoStreamOf(outputs[2], "m4v")), 0) << "3GPP";
    EXPECT_EQ(mpegSlicesPerPicture(videoStreamOf(outputs[3], "mpeg1video")), 1) << "VCD";
    EXPECT_EQ(mpegSlicesPerPicture(videoStreamOf(outputs[4], "mpeg2video")), 576 / 16) << "DVD: one per row";
    EXPECT_EQ(h264SlicesPerPicture(videoStreamOf(outputs[5], "h264", "-bsf:v h264_mp4toannexb")), 1)
        << "iPod";
    std::filesystem::remove_all(root);
}

TEST_F(ConversionRunProof, AFixedFrameKeepsThePictureProportionsWithBars) {
    struct TCase {
        const char* Input;
        double InputAspect; // as shown
        TFormatId Format;
        int Preset;
        int LitWidth, LitHeight; // the picture inside the preset's frame
    };
    // MP4 preset 3 forces 640x420, FLV preset 3 320x240 (FLV keeps no pixel shape), AVI
    // preset 0 1280x720 shown as 16:9.
    const TCase cases[] = {
        {"flat_wide.mp4", 16.0 / 9, fmtMP4, 3, 640, 360},
        {"flat_standard.mp4", 4.0 / 3, fmtMP4, 3, 560, 420},
        {"flat_anamorphic.mp4", 16.0 / 9, fmtMP4, 3, 640, 360},
        {"flat_wide.mp4", 16.0 / 9, fmtFLV, 3, 320, 180},
        {"flat_standard.mp4", 4.0 / 3, fmtFLV, 3, 320, 240},
        {"flat_standard.mp4", 4.0 / 3, fmtAVI, 0, 960, 720},
    };
    const std::string root = Fixtures::ScratchFolder("proof_proportions");
    for (size_t i = 0; i < std::size(cases); ++i) {
        const TCase& c = cases[i];
        const std::string folder = root + "/" + std::to_string(i);
        ASSERT_TRUE(queue(selectionFor(FormatInfo(c.Format), c.Preset, folder), Fixtures::Path(c.Input)))
            << encoder.LastErrMsg();
    }
    for (const TTerminateInfo& end : runQueuedTasks(encoder))
        EXPECT_TRUE(end.Completed && !end.Failed) << end.ErrorMessage;

    for (size_t i = 0; i < std::size(cases); ++i) {
        const TCase& c = cases[i];
        const std::string output = root + "/" + std::to_string(i) + "/" +
                                   std::filesystem::path(c.Input).stem().string() +
                                   std::string(FormatInfo(c.Format).Extension);
        SCOPED_TRACE(std::string(c.Input) + " as " + std::string(FormatInfo(c.Format).Name) + " preset " +
                     std::to_string(c.Preset));
        const std::optional<TProbedFile> file = ProbeMedia(output);
        ASSERT_TRUE(file && file->Video);
        const std::optional<TLitArea> lit = LitAreaOfFirstPicture(output);
        ASSERT_TRUE(lit);
        EXPECT_NEAR(lit->Width, c.LitWidth, 4);
        EXPECT_NEAR(lit->Height, c.LitHeight, 4);
        // Centred, and shown in the input's shape.
        EXPECT_NEAR(2 * lit->Left + lit->Width, file->Video->Width, 4);
        EXPECT_NEAR(2 * lit->Top + lit->Height, file->Video->Height, 4);
        const double frameAspect = file->Video->DisplayAspect > 0
                                       ? file->Video->DisplayAspect
                                       : static_cast<double>(file->Video->Width) / file->Video->Height;
        const double shown =
            frameAspect * lit->Width / file->Video->Width * file->Video->Height / lit->Height;
        EXPECT_NEAR(shown, c.InputAspect, c.InputAspect * 0.02);
    }
    std::filesystem::remove_all(root);
}

std::vector<TFormatId> allFormatIds() {
    std::vector<TFormatId> ids;
    for (const TFormatInfo& format : AllFormats())
        ids.push_back(format.Id);
    return ids;
}

INSTANTIATE_TEST_SUITE_P(AllFormats, ConversionProof, ::testing::ValuesIn(allFormatIds()),
                         [](const ::testing::TestParamInfo<TFormatId>& param) {
                             return "Format" + std::string(FormatInfo(param.param).Name);
                         });

} // namespace
