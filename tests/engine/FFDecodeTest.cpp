#include "engine/FFDecode.h"

#include "EngineTestEnv.h"
#include "Fixtures.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>

namespace fs = std::filesystem;

namespace {

struct Expected {
    const char* file;
    int width, height;        // -1: no video
    int sampleRate, channels; // -1: no audio
    double durationSec;       // -1: none
    const char* videoCodec;
    const char* audioCodec;
};

const Expected kFiles[] = {
    {"av.mp4", 320, 240, 44100, 2, 3.0, "h264(", "aac("},
    {"av.avi", 320, 240, 44100, 2, 3.0, "mpeg4(", "mp3"},
    {"av.mkv", 352, 288, 48000, 2, 3.0, "h264(", "vorbis("},
    {"av.flv", 320, 240, 44100, 2, 3.0, "flv(", "mp3"},
    {"av.ts", 320, 240, 44100, 1, 2.0, "mpeg2video(", "mp2"},
    {"video_only.mp4", 320, 240, -1, -1, 2.0, "h264(", nullptr},
    {"audio.mp3", -1, -1, 44100, 2, 3.0, nullptr, "mp3"},
    {"audio.wav", -1, -1, 44100, 2, 3.0, nullptr, "pcm_s16le("},
    {"audio_mono.ogg", -1, -1, 22050, 1, 2.0, nullptr, "vorbis("},
};

// Fraction of bytes that are clearly not black.
double litShare(const TBitmap& bmp) {
    size_t lit = 0;
    for (uint8_t b : bmp.Pixels)
        lit += b > 40;
    return bmp.Pixels.empty() ? 0.0 : double(lit) / double(bmp.Pixels.size());
}

class DecoderTest : public EngineTest {
protected:
    TFFDecoder dec;
};

TEST_F(DecoderTest, FactsMatchWhatTheFilesHold) {
    for (const Expected& e : kFiles) {
        SCOPED_TRACE(e.file);
        const std::string path = Fixtures::Path(e.file);
        ASSERT_TRUE(dec.LoadFile(path)) << dec.LastErrMsg();
        EXPECT_EQ(dec.FileName(), path);
        EXPECT_EQ(dec.FileSize(), int64_t(fs::file_size(path)));
        EXPECT_EQ(dec.VideoStreamCount(), e.width > 0 ? 1 : 0);
        EXPECT_EQ(dec.AudioStreamCount(), e.sampleRate > 0 ? 1 : 0);
        EXPECT_EQ(dec.StreamCount(), dec.VideoStreamCount() + dec.AudioStreamCount());
        EXPECT_EQ(dec.SubtitleStreamCount(), 0);
        EXPECT_EQ(dec.FirstSubtitleStreamIndex(), -1);

        TFileStreamInfo file;
        ASSERT_TRUE(dec.GetFileStreamInfo(file));
        EXPECT_NEAR(double(file.Duration) / 1e6, e.durationSec, 0.15);
        EXPECT_GT(file.BitRate, 0);

        TVideoStreamInfo v;
        if (e.width > 0) {
            ASSERT_TRUE(dec.GetVideoStreamInfo(-1, v)) << dec.LastErrMsg();
            EXPECT_EQ(v.Width, e.width);
            EXPECT_EQ(v.Height, e.height);
            EXPECT_EQ(v.CodecName.rfind(e.videoCodec, 0), 0u) << v.CodecName;
            ASSERT_GT(v.FrameRateDen, 0);
            const double fps = double(v.FrameRateNum) / v.FrameRateDen;
            EXPECT_TRUE(fps > 24.9 && fps < 30.1) << fps;
            EXPECT_GE(v.PixelFormat, 0);
            EXPECT_EQ(dec.CurrentStream(), dec.FirstVideoStreamIndex());
        } else {
            EXPECT_FALSE(dec.GetVideoStreamInfo(-1, v));
            EXPECT_EQ(dec.LastErrMsg(), "no video stream.");
            EXPECT_EQ(v.Width, -1);
            EXPECT_EQ(v.Height, -1);
            EXPECT_EQ(v.BitRate, -1);
            EXPECT_EQ(v.FrameRateNum, -1);
            EXPECT_FLOAT_EQ(v.DisplayAspectRatio, -1.0f);
            EXPECT_EQ(dec.FirstVideoStreamIndex(), -1);
            EXPECT_EQ(dec.CurrentStream(), dec.FirstAudioStreamIndex());
        }
        TAudioStreamInfo a;
        if (e.sampleRate > 0) {
            ASSERT_TRUE(dec.GetAudioStreamInfo(-1, a)) << dec.LastErrMsg();
            EXPECT_EQ(a.SampleRate, e.sampleRate);
            EXPECT_EQ(a.Channels, e.channels);
            EXPECT_EQ(a.CodecName.rfind(e.audioCodec, 0), 0u) << a.CodecName;
            EXPECT_GE(a.SampleFormat, 0);
        } else {
            EXPECT_FALSE(dec.GetAudioStreamInfo(-1, a));
            EXPECT_EQ(dec.LastErrMsg(), "no audio stream.");
            EXPECT_EQ(a.SampleRate, -1);
        }
        dec.CloseFile();
        EXPECT_EQ(dec.StreamCount(), -1);
        EXPECT_EQ(dec.FileSize(), -1);
    }
}

TEST_F(DecoderTest, MiddleFrameThumbnailHasTheFrameSizeAndIsNotBlack) {
    for (const char* name :
         {"av.mp4", "av.avi", "av.mkv", "av.flv", "av.ts", "av_wide.mp4", "video_only.mp4"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(dec.LoadFile(Fixtures::Path(name))) << dec.LastErrMsg();
        TFileStreamInfo file;
        ASSERT_TRUE(dec.GetFileStreamInfo(file));
        dec.Seek(0, file.Duration / 2);
        ASSERT_TRUE(dec.DecodeVideoFrame(dec.FirstVideoStreamIndex())) << dec.LastErrMsg();
        EXPECT_GE(dec.PictureTime(), 0);
        EXPECT_LT(dec.PictureTime(), file.Duration);
        TBitmap bmp;
        ASSERT_TRUE(dec.CopyToBitmap(bmp)) << dec.LastErrMsg();
        TVideoStreamInfo v;
        dec.GetVideoStreamInfo(-1, v);
        EXPECT_EQ(bmp.Width, v.Width);
        EXPECT_EQ(bmp.Height, v.Height);
        EXPECT_EQ(bmp.LineSize % 4, 0);
        EXPECT_EQ(bmp.Pixels.size(), size_t(bmp.LineSize) * size_t(bmp.Height));
        EXPECT_GT(litShare(bmp), 0.3);
    }
}

TEST_F(DecoderTest, StartTimeOffsetIsRemovedFromPictureTimes) {
    // The transport stream starts well after 0; times are reported from its start.
    ASSERT_TRUE(dec.LoadFile(Fixtures::Path("av.ts")));
    TVideoStreamInfo v;
    ASSERT_TRUE(dec.GetVideoStreamInfo(-1, v));
    EXPECT_GT(v.StartTime, 500000);
    ASSERT_TRUE(dec.Seek(0, -5)); // negative positions seek to the start
    ASSERT_TRUE(dec.DecodeVideoFrame());
    EXPECT_LT(dec.PictureTime(), 100000);
    EXPECT_TRUE(dec.Seek(0, 1000000));
    ASSERT_TRUE(dec.DecodeVideoFrame());
    EXPECT_GT(dec.PictureTime(), 500000);
    EXPECT_LT(dec.PictureTime(), 1600000);
}

TEST_F(DecoderTest, DecodingPastTheEndStaysAtEndUntilSeek) {
    ASSERT_TRUE(dec.LoadFile(Fixtures::Path("video_only.mp4")));
    int frames = 0;
    while (dec.DecodeVideoFrame())
        ++frames;
    EXPECT_EQ(frames, 50); // 2 s at 25 fps: delayed pictures are drained at the end
    EXPECT_EQ(dec.LastErrMsg(), "stream eof reached.");
    EXPECT_TRUE(Logged(llInfo, "stream eof reached."));
    EXPECT_FALSE(dec.DecodeVideoFrame());
    EXPECT_EQ(dec.LastErrMsg(), "stream eof reached.");
    ASSERT_TRUE(dec.Seek(0, 0)) << dec.LastErrMsg();
    ASSERT_TRUE(dec.DecodeVideoFrame());
    EXPECT_EQ(dec.PictureTime(), 0);
}

TEST_F(DecoderTest, StillImageDecodesOnceAndCannotSeek) {
    ASSERT_TRUE(dec.LoadFile(Fixtures::Path("still.png"))) << dec.LastErrMsg();
    EXPECT_FALSE(dec.Seek(0, 0));
    EXPECT_NE(dec.LastErrMsg().find("format cannot to be seeked."), std::string::npos) << dec.LastErrMsg();
    ASSERT_TRUE(dec.DecodeVideoFrame());
    ASSERT_TRUE(dec.DecodeVideoFrame()); // the picture is kept, not read again
    TBitmap bmp;
    ASSERT_TRUE(dec.CopyToBitmap(bmp));
    EXPECT_EQ(bmp.Width, 320);
    EXPECT_EQ(bmp.Height, 240);
    EXPECT_GT(litShare(bmp), 0.3);
}

TEST_F(DecoderTest, FileWithoutDurationAndAnamorphicVideo) {
    ASSERT_TRUE(dec.LoadFile(Fixtures::Path("video_nodur.h264")));
    TFileStreamInfo file;
    ASSERT_TRUE(dec.GetFileStreamInfo(file));
    EXPECT_EQ(file.Duration, -1);
    // A thumbnail still comes from the start.
    dec.Seek(0, file.Duration / 2);
    ASSERT_TRUE(dec.DecodeVideoFrame()) << dec.LastErrMsg();

    ASSERT_TRUE(dec.LoadFile(Fixtures::Path("anamorphic.mp4")));
    TVideoStreamInfo v;
    ASSERT_TRUE(dec.GetVideoStreamInfo(-1, v));
    EXPECT_NEAR(v.DisplayAspectRatio, 16.0 / 9.0, 0.01);
}

TEST_F(DecoderTest, FileTagsAndCreationTime) {
    ASSERT_TRUE(dec.LoadFile(Fixtures::Path("tagged.m4a")));
    TFileStreamInfo file;
    ASSERT_TRUE(dec.GetFileStreamInfo(file));
    EXPECT_EQ(file.Title, "Song");
    EXPECT_EQ(file.Author, "Someone");
    EXPECT_EQ(file.Album, "Album");
    EXPECT_EQ(file.Genre, "Jazz");
    EXPECT_EQ(file.Comment, "nice");
    EXPECT_EQ(file.Copyright, "Me");
    EXPECT_EQ(file.Track, 3);
    EXPECT_EQ(file.Year, 2009);
    EXPECT_EQ(file.Timestamp, int64_t(1577934245) * 1000000);
}

TEST_F(DecoderTest, WrongStateAndWrongStreamReports) {
    // A fresh decoder knows nothing.
    EXPECT_EQ(dec.StreamCount(), -1);
    EXPECT_EQ(dec.FirstAudioStreamIndex(), -1);
    EXPECT_EQ(dec.FileName(), "");
    EXPECT_EQ(dec.LastErrMsg(), "file not loaded.");
    EXPECT_TRUE(Logged(llWarning, "file not loaded."));
    TFileStreamInfo file;
    EXPECT_FALSE(dec.GetFileStreamInfo(file));
    EXPECT_EQ(file.Duration, -1);
    EXPECT_FALSE(dec.Seek(0, 0));
    EXPECT_FALSE(dec.DecodeVideoFrame());
    TBitmap bmp;
    EXPECT_FALSE(dec.CopyToBitmap(bmp));
    EXPECT_EQ(dec.LastErrMsg(), "picture not ready, please decode first");

    ASSERT_TRUE(dec.LoadFile(Fixtures::Path("av.mp4")));
    EXPECT_FALSE(dec.CopyToBitmap(bmp));
    EXPECT_EQ(dec.LastErrMsg(), "picture not ready, please decode first");
    TAudioStreamInfo a;
    EXPECT_FALSE(dec.GetAudioStreamInfo(99, a));
    EXPECT_EQ(dec.LastErrMsg(), "stream index #99 is invalid.");
    EXPECT_FALSE(dec.GetAudioStreamInfo(dec.FirstVideoStreamIndex(), a));
    EXPECT_EQ(dec.LastErrMsg(),
              "stream #" + std::to_string(dec.FirstVideoStreamIndex()) + " is not audio stream.");
    TVideoStreamInfo v;
    EXPECT_FALSE(dec.GetVideoStreamInfo(dec.FirstAudioStreamIndex(), v));
    EXPECT_EQ(dec.LastErrMsg(),
              "stream #" + std::to_string(dec.FirstAudioStreamIndex()) + " is not video stream.");
    EXPECT_FALSE(dec.DecodeVideoFrame(dec.FirstAudioStreamIndex()));
    EXPECT_TRUE(Logged(llError, "stream index #99 is invalid."));

    EXPECT_FALSE(dec.LoadFile(Fixtures::Path("av.mp4"), "nosuchformat"));
    EXPECT_EQ(dec.LastErrMsg(), "Unknown input format: nosuchformat");
    ASSERT_TRUE(dec.LoadFile(Fixtures::Path("av.mp4"), "mov"));
    EXPECT_EQ(dec.FormatName(), "mov");
}

TEST_F(DecoderTest, AttachedDecoderReportsFactsButRefusesToMoveTheInput) {
    AVFormatContext* ctx = nullptr;
    ASSERT_EQ(FF().avformat.avformat_open_input(&ctx, Fixtures::Path("av.mkv").c_str(), nullptr, nullptr), 0);
    ASSERT_GE(FF().avformat.avformat_find_stream_info(ctx, nullptr), 0);
    dec.AttachFormatContext(ctx);
    EXPECT_EQ(dec.StreamCount(), 2);
    TVideoStreamInfo v;
    EXPECT_TRUE(dec.GetVideoStreamInfo(-1, v));
    EXPECT_EQ(v.Width, 352);
    EXPECT_THROW(dec.Seek(0, 0), EDecoderError);
    EXPECT_THROW(dec.DecodeVideoFrame(), EDecoderError);
    EXPECT_EQ(dec.LastErrMsg(), "file cannot be seeked, handle is readonly.");
    dec.CloseFile(); // does not close what it did not open
    EXPECT_EQ(ctx->nb_streams, 2u);
    FF().avformat.avformat_close_input(&ctx);
}

TEST_F(DecoderTest, BadInputFailsCleanlyAndLeavesTheDecoderUsable) {
    const fs::path dir = Fixtures::ScratchFolder("DecoderBadInput");
    const std::string good = Fixtures::Path("av.mp4");
    auto write = [&](const std::string& name, const std::string& bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return (dir / name).string();
    };
    std::string goodBytes;
    {
        std::ifstream in(good, std::ios::binary);
        goodBytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    std::mt19937 rng(7);
    std::string noise(64 * 1024, '\0');
    for (char& c : noise)
        c = char(rng());
    std::string corrupted = goodBytes;
    for (size_t i = 2000; i < corrupted.size(); i += 97)
        corrupted[i] = char(rng());
    const std::vector<std::string> bad = {
        write("empty.mp4", ""),
        write("noise.mp4", noise),
        write("text.mp4", "This is not a video, just some text.\n"),
        write("truncated.mp4", goodBytes.substr(0, goodBytes.size() / 3)),
        write("headless.mp4", goodBytes.substr(4096)),
        dir.string(),
        (dir / "vanished.mp4").string(),
    };
    for (const std::string& path : bad) {
        SCOPED_TRACE(path);
        TFFDecoder fresh;
        if (fresh.LoadFile(path)) {
            // Damaged media may still open; then frames either decode or end cleanly.
            fresh.Seek(0, 1000000);
            TBitmap bmp;
            if (fresh.DecodeVideoFrame())
                fresh.CopyToBitmap(bmp);
            continue;
        }
        EXPECT_EQ(fresh.LastErrMsg().rfind(path, 0), 0u) << fresh.LastErrMsg();
        EXPECT_EQ(fresh.StreamCount(), -1);
        ASSERT_TRUE(fresh.LoadFile(good)) << fresh.LastErrMsg();
        EXPECT_EQ(fresh.StreamCount(), 2);
    }
    EXPECT_FALSE(dec.LoadFile(dir.string()));
    EXPECT_EQ(dec.LastErrMsg(), dir.string() + ": Is a directory");
    EXPECT_FALSE(dec.LoadFile((dir / "vanished.mp4").string()));
    EXPECT_EQ(dec.LastErrMsg(), (dir / "vanished.mp4").string() + ": No such file or directory");
    EXPECT_TRUE(Logged(llError, dec.LastErrMsg()));
    // Corrupted payload: whatever decodes, the probe ends.
    const std::string damaged = write("damaged.mp4", corrupted);
    if (dec.LoadFile(damaged)) {
        while (dec.DecodeVideoFrame()) {
        }
    }
}

TEST_F(DecoderTest, NamesOutsideAsciiAndWithColonsOpen) {
    const fs::path dir = Fixtures::ScratchFolder("DecoderNames");
    for (const char* name : {"Видео ü 日本.mp4", "clip: take 2.mp4"}) {
        const fs::path path = dir / name;
        fs::copy_file(Fixtures::Path("av.mp4"), path);
        ASSERT_TRUE(dec.LoadFile(path.string())) << dec.LastErrMsg();
        EXPECT_EQ(dec.FileName(), path.string());
        EXPECT_EQ(dec.FileSize(), int64_t(fs::file_size(path)));
    }
}

TEST_F(DecoderTest, FormatConverterDepths) {
    TFormatConverter conv;
    EXPECT_EQ(conv.BitsPixel(), 24);
    try {
        conv.SetBitsPixel(12);
        ADD_FAILURE() << "accepted 12";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "Invalid BitsPixel 12");
    }
    conv.SetBitsPixel(24);
    EXPECT_EQ(conv.BitsPixel(), 24);
    // A round trip through RGB keeps the picture; every depth renders the frame size.
    ASSERT_TRUE(dec.LoadFile(Fixtures::Path("av_wide.mp4")));
    ASSERT_TRUE(dec.DecodeVideoFrame());
    for (int bits : {8, 15, 16, 24, 32}) {
        dec.FormatConverter().SetBitsPixel(bits);
        TBitmap bmp;
        ASSERT_TRUE(dec.CopyToBitmap(bmp)) << bits;
        EXPECT_EQ(bmp.BitsPerPixel, bits);
        EXPECT_EQ(bmp.LineSize, (640 * bits + 31) / 32 * 4);
        EXPECT_EQ(bmp.Height, 360);
    }
    dec.FormatConverter().SetBitsPixel(24);
    TBitmap rgb;
    ASSERT_TRUE(dec.CopyToBitmap(rgb));
    AVFrame* frame = FF().avutil.av_frame_alloc();
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = 640;
    frame->height = 360;
    ASSERT_GE(FF().avutil.av_frame_get_buffer(frame, 0), 0);
    ASSERT_TRUE(conv.FromRGB(rgb, frame));
    TBitmap back;
    ASSERT_TRUE(conv.ToRGB(frame, back));
    double diff = 0;
    for (size_t i = 0; i < rgb.Pixels.size(); ++i)
        diff += std::abs(int(rgb.Pixels[i]) - int(back.Pixels[i]));
    EXPECT_LT(diff / double(rgb.Pixels.size()), 12.0);
    TBitmap wrongSize;
    wrongSize.SetSize(10, 10, 24);
    EXPECT_FALSE(conv.FromRGB(wrongSize, frame));
    EXPECT_EQ(conv.LastError(), "Cannot initialize the fromRGB conversion context");
    FF().avutil.av_frame_free(&frame);
}

} // namespace
