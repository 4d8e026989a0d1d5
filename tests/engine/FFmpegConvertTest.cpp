#include "FFmpegCoreTestEnv.h"

#include <filesystem>

// Audio-only conversions: codec, rate, channels and length as asked.
TEST_F(CoreTest, AudioConversionsProbeAsAsked) {
    struct Case {
        const char* input;
        const char* output;
        const char* codec; // empty: the container's default
        int rate, channels, bitRate;
        const char* expectCodec;
        int expectRate;
    };
    const Case cases[] = {
        {"audio.wav", "a.mp3", "libmp3lame", 48000, 2, 320000, "mp3", 48000},
        {"av.mp4", "a.wav", "pcm_s16le", 11025, 1, 0, "pcm_s16le", 11025},
        {"audio.mp3", "a.ogg", "libvorbis", 22050, 0, 0, "vorbis", 22050},
        {"audio.mp3", "a.aac", "libfaac", 22500, 1, 112000, "aac", 22050}, // closest supported rate
        {"audio.wav", "a.m4a", "", 44100, 2, 96000, "aac", 44100},
        {"audio.wav", "a.mp2", "", 22050, 1, 96000, "mp2", 22050},
        {"audio.wav", "a.wma", "wmav2", 44100, 2, 128000, "wmav2", 44100},
        {"audio.wav", "a.flac", "flac", 0, 0, 0, "flac", 44100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output);
        TCustomFFmpeg task;
        ASSERT_TRUE(task.OpenInput(Fixtures::Path(c.input))) << task.LastErrMsg();
        if (*c.codec)
            task.SetAudioCodec(c.codec);
        if (c.rate)
            task.SetAudioSampleRate(c.rate);
        if (c.channels)
            task.SetAudioChannels(c.channels);
        if (c.bitRate)
            task.SetOption("ab", std::to_string(c.bitRate));
        task.SetOption("vn", "1");
        const std::string out = Out(c.output);
        ASSERT_GE(task.OpenOutput(out), 0) << task.LastErrMsg();
        ASSERT_EQ(RunTask(task), "");
        EXPECT_TRUE(task.Completed());
        const TProbe p = ProbeFile(out);
        ASSERT_TRUE(p.ok);
        EXPECT_EQ(p.audioCodec, c.expectCodec);
        EXPECT_EQ(p.sampleRate, c.expectRate);
        if (c.channels) {
            EXPECT_EQ(p.channels, c.channels);
        }
        EXPECT_TRUE(p.videoCodec.empty());
        EXPECT_NEAR(double(p.durationUs) / 1e6, 3.0, 0.25);
    }
}

namespace {

const char* kBlockA =
    "flags=+loop\ncmp=+chroma\ndeblockalpha=0\ndeblockbeta=0\ncrf=24\nrefs=1\ncoder=0\nme_range=16\n"
    "subq=5\npartitions=+parti4x4+parti8x8+partp8x8\ng=250\nkeyint_min=25\nlevel=30\nqmin=10\n"
    "qmax=51\ntrellis=2\nsc_threshold=40\ni_qfactor=0.71";
const char* kBlockB =
    "flags=+loop\ncmp=+chroma\npartitions=+parti4x4+partp8x8+partb8x8\nme_method=umh\nsubq=5\n"
    "trellis=1\nrefs=2\nbf=1\ncoder=1\nme_range=16\ng=300\nkeyint_min=25\nsc_threshold=40\n"
    "i_qfactor=0.71\nbt=64k\nmaxrate=4M\nbufsize=4M\nrc_eq='blurCplx^(1-qComp)'\nqcomp=0.6\n"
    "qmin=10\nqmax=51\nqdiff=4\nlevel=21";

void applyLines(TCustomFFmpeg& task, const std::string& lines) {
    size_t pos = 0;
    while (pos < lines.size()) {
        size_t end = lines.find('\n', pos);
        if (end == std::string::npos)
            end = lines.size();
        const std::string line = lines.substr(pos, end - pos);
        const size_t eq = line.find('=');
        task.SetOption(line.substr(0, eq), line.substr(eq + 1));
        pos = end + 1;
    }
}

} // namespace

// Video recipes of every container the presets use, with their codec defaults.
TEST_F(CoreTest, VideoConversionsProbeAsAsked) {
    struct Case {
        const char* output;
        const char *format, *vcodec, *acodec, *vpre, *lines, *size, *rate, *tag;
        int vb, ab, ar, ac;
        const char *expectVideo, *expectAudio;
        int w, h;
        double fps;
    };
    const Case cases[] = {
        {"v.mp4", "", "libx264", "libfaac", "", kBlockA, "176x144", "30", "", 640000, 128000, 44100, 2,
         "h264", "aac", 176, 144, 30},
        {"v2.mp4", "", "libx264", "libfaac", "libx264-default", "", "", "", "", 1200000, 128000, 48000, 2,
         "h264", "aac", 320, 240, 25},
        {"p.mp4", "psp", "libx264", "libfaac", "", kBlockB, "368x208", "30000/1001", "", 520000, 128000,
         48000, 2, "h264", "aac", 368, 208, 29.97},
        {"v.avi", "", "mpeg4", "libmp3lame", "", "", "320x240", "25", "XVID", 768000, 96000, 44100, 2,
         "mpeg4", "mp3", 320, 240, 25},
        {"v.flv", "", "", "", "", "", "352x288", "15", "", 780000, 64000, 22050, 2, "flv1", "mp3", 352, 288,
         15},
        {"v.swf", "", "", "", "", "", "176x144", "15", "", 480000, 24000, 11025, 1, "flv1", "mp3", 176, 144,
         15},
        {"v.3gp", "", "h263", "", "", "", "176x144", "12", "", 240000, 12200, 8000, 1, "h263", "amr_nb", 176,
         144, 12},
        {"v.wmv", "", "wmv2", "wmav2", "", "", "320x240", "25", "", 568000, 128000, 44100, 2, "wmv2", "wmav2",
         320, 240, 25},
        {"v.rm", "", "rv20", "", "", "", "", "", "", 256000, 0, 0, 0, "rv20", "ac3", 320, 240, 25},
        {"v.mpg", "", "mpeg1video", "mp2", "", "", "320x240", "30000/1001", "", 780000, 112000, 44100, 2,
         "mpeg1video", "mp2", 320, 240, 29.97},
        {"v.mov", "", "mjpeg", "libmp3lame", "", "", "", "", "", 4000000, 128000, 44100, 2, "mjpeg", "mp3",
         320, 240, 25},
        {"w.wmv", "", "msmpeg4", "wmav2", "", "", "320x240", "25", "", 500000, 64000, 44100, 2, "msmpeg4v3",
         "wmav2", 320, 240, 25},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output);
        TCustomFFmpeg task;
        ASSERT_TRUE(task.OpenInput(Fixtures::Path("av.mp4"))) << task.LastErrMsg();
        if (*c.format)
            task.SetForceFormat(c.format);
        if (*c.vcodec)
            task.SetVideoCodec(c.vcodec);
        if (*c.acodec)
            task.SetAudioCodec(c.acodec);
        if (*c.vpre)
            task.SetVideoPreset(c.vpre);
        applyLines(task, c.lines);
        task.SetFrameSize(c.size);
        task.SetFrameRate(c.rate);
        if (*c.tag)
            task.SetVideoTag(c.tag);
        task.SetOption("vb", std::to_string(c.vb));
        if (c.ab)
            task.SetOption("ab", std::to_string(c.ab));
        if (c.ar)
            task.SetAudioSampleRate(c.ar);
        if (c.ac)
            task.SetAudioChannels(c.ac);
        task.SetRecordingTime(1500000);
        const std::string out = Out(c.output);
        ASSERT_GE(task.OpenOutput(out), 0) << task.LastErrMsg();
        ASSERT_EQ(RunTask(task), "");
        const TProbe p = ProbeFile(out);
        ASSERT_TRUE(p.ok);
        EXPECT_EQ(p.videoCodec, c.expectVideo);
        EXPECT_EQ(p.audioCodec, c.expectAudio);
        EXPECT_EQ(p.width, c.w);
        EXPECT_EQ(p.height, c.h);
        if (c.fps > 0 && std::string(c.output) != "v.rm") {
            EXPECT_NEAR(p.frameRate, c.fps, 0.05);
        }
        if (*c.tag) {
            EXPECT_EQ(p.videoTag, uint32_t('X' | 'V' << 8 | 'I' << 16 | 'D' << 24));
        }
        EXPECT_NEAR(double(p.videoFrames), 1.5 * c.fps, 2.0);
        if (c.ar) {
            EXPECT_EQ(p.sampleRate, c.ar);
        }
    }
}
