#include "convert/PresetRecipes.h"

#include "engine/FFEncodeRecords.h"

#include <array>
#include <string>

// clang-format off
const char* const kOptionBlockA =
    "flags=+loop\r\n" "cmp=+chroma\r\n" "deblockalpha=0\r\n" "deblockbeta=0\r\n" "crf=24\r\n" "refs=1\r\n"
    "coder=0\r\n" "me_range=16\r\n" "subq=5\r\n" "partitions=+parti4x4+parti8x8+partp8x8\r\n" "g=250\r\n"
    "keyint_min=25\r\n" "level=30\r\n" "qmin=10\r\n" "qmax=51\r\n" "trellis=2\r\n" "sc_threshold=40\r\n"
    "i_qfactor=0.71\r\n";

const char* const kOptionBlockB =
    "flags=+loop\r\n" "cmp=+chroma\r\n" "partitions=+parti4x4+partp8x8+partb8x8\r\n" "me_method=umh\r\n"
    "subq=5\r\n" "trellis=1\r\n" "refs=2\r\n" "bf=1\r\n" "coder=1\r\n" "me_range=16\r\n" "g=300\r\n"
    "keyint_min=25\r\n" "sc_threshold=40\r\n" "i_qfactor=0.71\r\n" "bt=64k\r\n" "maxrate=4M\r\n"
    "bufsize=4M\r\n" "rc_eq='blurCplx^(1-qComp)'\r\n" "qcomp=0.6\r\n" "qmin=10\r\n" "qmax=51\r\n"
    "qdiff=4\r\n" "level=21";
// clang-format on

namespace {

struct TCommonSettings {
    TFormatId Format;
    TRecipeSettings Settings;
};

// clang-format off
// What a format sets for every preset, applied before the preset's row.
const TCommonSettings kCommonSettings[] = {
    {fmtMP3,     {.AudioCodec = "libmp3lame"}},
    {fmtWMA,     {.AudioCodec = "wmav2"}},
    {fmtOGG,     {.AudioCodec = "libvorbis"}},
    {fmtAAC,     {.AudioCodec = "libfaac"}},
    {fmtFLAC,    {.AudioCodec = "flac"}},
    {fmtiPod,    {.VideoCodec = "libx264", .AudioCodec = "libfaac", .ExtraOptions = kOptionBlockA}},
    {fmtiPhone,  {.VideoCodec = "libx264", .AudioCodec = "libfaac", .ExtraOptions = kOptionBlockA}},
    {fmtAppleTV, {.VideoCodec = "libx264", .AudioCodec = "libfaac", .ExtraOptions = kOptionBlockA}},
    {fmtPSP,     {.VideoCodec = "libx264", .AudioCodec = "libfaac", .FileFormat = "psp", .ExtraOptions = kOptionBlockB}},
    {fmtiPad,    {.VideoCodec = "libx264", .AudioCodec = "libfaac", .ExtraOptions = kOptionBlockA}},
};

// One row per preset; fields left out keep their initial value. The MPEG rows with a
// target leave both codecs to the target: a forced "mp2" would meet the DVD target's
// 448 kbit/s, which MPEG audio layer 2 cannot carry.
const TPresetRecipe kPresetRecipes[] = {
    // WAV
    {fmtWAV, 0, {.AudioCodec = "pcm_s16le", .AudioChannels = 1, .AudioSampleRate = 11025}},
    {fmtWAV, 1, {.AudioCodec = "pcm_s16le", .AudioChannels = 1, .AudioSampleRate = 22050}},
    {fmtWAV, 2, {.AudioCodec = "pcm_s24le", .AudioChannels = 2, .AudioSampleRate = 22050}},
    {fmtWAV, 3, {.AudioCodec = "pcm_s32le", .AudioChannels = 2, .AudioSampleRate = 48000}},
    {fmtWAV, 4, {.AudioCodec = "pcm_s16le", .AudioChannels = 2, .AudioSampleRate = 44000}},
    // MP3
    {fmtMP3, 0, {.AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 112000}},
    {fmtMP3, 1, {.AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 128000}},
    {fmtMP3, 2, {.AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 256000}},
    {fmtMP3, 3, {.AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 320000}},
    // WMA
    {fmtWMA, 0, {.AudioCodec = "wmav2", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 192000}},
    {fmtWMA, 1, {.AudioCodec = "wmav2", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 96000}},
    {fmtWMA, 2, {.AudioCodec = "wmav2", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000}},
    {fmtWMA, 3, {.AudioCodec = "wmav2", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000}},
    {fmtWMA, 4, {.AudioCodec = "wmav2", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrateFromInput = true}},
    // OGG
    {fmtOGG, 0, {.AudioCodec = "libvorbis", .AudioSampleRate = 11025, .ExtraOptions = "aq=4.97"}},
    {fmtOGG, 1, {.AudioCodec = "libvorbis", .AudioSampleRate = 22050, .ExtraOptions = "aq=4.97"}},
    {fmtOGG, 2, {.AudioCodec = "libvorbis", .AudioSampleRate = 22050, .ExtraOptions = "aq=4.97"}},
    {fmtOGG, 3, {.AudioCodec = "libvorbis", .AudioSampleRate = 44100, .ExtraOptions = "aq=4.97"}},
    {fmtOGG, 4, {.AudioCodec = "libvorbis", .AudioSampleRate = 48000, .ExtraOptions = "aq=8.05"}},
    // AAC
    {fmtAAC, 0, {.AudioCodec = "libfaac", .AudioChannels = 1, .AudioSampleRate = 16000, .AudioBitrate = 96000}},
    {fmtAAC, 1, {.AudioCodec = "libfaac", .AudioChannels = 1, .AudioSampleRate = 22500, .AudioBitrate = 112000}},
    {fmtAAC, 2, {.AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 22500, .AudioBitrate = 224000}},
    {fmtAAC, 3, {.AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 256000}},
    {fmtAAC, 4, {.AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 256000}},
    // M4A
    {fmtM4A, 0, {.AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 96000}},
    {fmtM4A, 1, {.AudioChannels = 2, .AudioSampleRate = 44800, .AudioBitrate = 256000}},
    // FLAC
    {fmtFLAC, 0, {.AudioCodec = "flac", .ExtraOptions = "compression_level=0"}},
    {fmtFLAC, 1, {.AudioCodec = "flac", .ExtraOptions = "compression_level=1"}},
    {fmtFLAC, 2, {.AudioCodec = "flac", .ExtraOptions = "compression_level=2"}},
    {fmtFLAC, 3, {.AudioCodec = "flac", .ExtraOptions = "compression_level=3"}},
    {fmtFLAC, 4, {.AudioCodec = "flac", .ExtraOptions = "compression_level=4"}},
    {fmtFLAC, 5, {.AudioCodec = "flac", .ExtraOptions = "compression_level=5"}},
    {fmtFLAC, 6, {.AudioCodec = "flac", .ExtraOptions = "compression_level=6"}},
    {fmtFLAC, 7, {.AudioCodec = "flac", .ExtraOptions = "compression_level=7"}},
    {fmtFLAC, 8, {.AudioCodec = "flac", .ExtraOptions = "compression_level=8"}},
    // MP2
    {fmtMP2, 0, {.AudioChannels = 1, .AudioSampleRate = 22050, .AudioBitrate = 96000}},
    {fmtMP2, 1, {.AudioChannels = 1, .AudioSampleRate = 22050, .AudioBitrate = 112000}},
    {fmtMP2, 2, {.AudioChannels = 2, .AudioSampleRate = 22050, .AudioBitrate = 128000}},
    // AVI
    {fmtAVI, 0, {.VideoCodec = "mpeg4", .VideoTag = "XVID", .FrameSize = "1280x720", .AspectRatio = "16:9", .VideoBitrate = 4500000, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 192000}},
    {fmtAVI, 1, {.VideoCodec = "libx264", .FrameSize = "1920x1080", .AspectRatio = "16:9", .VideoBitrate = 4200000, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 256000, .VideoPreset = "libx264-default"}},
    {fmtAVI, 2, {.VideoCodec = "mpeg4", .VideoTag = "XVID", .VideoBitrate = 2500000, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 256000}},
    {fmtAVI, 3, {.VideoCodec = "mpeg4", .VideoTag = "XVID", .VideoBitrate = 1500000, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 192000}},
    {fmtAVI, 4, {.VideoCodec = "mpeg4", .VideoTag = "XVID", .VideoBitrate = 768000, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 96000}},
    {fmtAVI, 5, {.VideoCodec = "mpeg4", .VideoTag = "XVID", .FrameSize = "720x540", .VideoBitrate = 2500000, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 256000}},
    {fmtAVI, 6, {.VideoCodec = "mpeg4", .VideoTag = "XVID", .FrameSize = "512x384", .VideoBitrate = 1500000, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 192000}},
    {fmtAVI, 7, {.VideoCodec = "mpeg4", .VideoTag = "XVID", .FrameSize = "320x240", .VideoBitrate = 768000, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 96000}},
    {fmtAVI, 8, {.VideoCodec = "libx264", .VideoBitrate = 1200000, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 192000, .VideoPreset = "libx264-default"}},
    {fmtAVI, 9, {.VideoCodec = "libx264", .VideoBitrate = 768000, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 96000, .VideoPreset = "libx264-default"}},
    {fmtAVI, 10, {.VideoCodec = "mpeg4", .VideoTag = "FMP4", .FrameSize = "320x240", .VideoBitrate = 460000, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 96000}},
    {fmtAVI, 11, {.VideoCodec = "mpeg4", .VideoTag = "FMP4", .FrameSize = "240x180", .VideoBitrate = 324000, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 96000}},
    {fmtAVI, 12, {.VideoCodec = "mpeg4", .VideoTag = "XVID", .VideoBitrate = 1600000, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 192000}},
    {fmtAVI, 13, {.VideoCodec = "mpeg4", .VideoTag = "XVID", .FrameSize = "480x272", .VideoBitrate = 760000, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000}},
    {fmtAVI, 14, {.VideoCodec = "mpeg4", .VideoTag = "XVID", .FrameSize = "720x480", .VideoBitrate = 1400000, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 192000}},
    {fmtAVI, 15, {.VideoCodec = "mpeg4", .VideoTag = "XVID", .FrameSize = "640x480", .VideoBitrate = 1000000, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 192000}},
    {fmtAVI, 16, {.VideoCodec = "mpeg4", .VideoTag = "XVID", .FrameSize = "320x240", .VideoBitrate = 600000, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000}},
    {fmtAVI, 17, {.VideoCodec = "mpeg4", .VideoTag = "XVID", .FrameSize = "720x480", .FrameRate = "30", .VideoBitrate = 1200000, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 705000}},
    {fmtAVI, 18, {.VideoCodec = "mpeg4", .VideoTag = "XVID", .FrameSize = "320x240", .FrameRate = "15", .VideoBitrate = 224000, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 96000}},
    {fmtAVI, 19, {.VideoCodec = "mpeg4", .VideoTag = "XVID", .FrameSize = "320x240", .FrameRate = "15", .VideoBitrate = 460000, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 96000}},
    {fmtAVI, 20, {.VideoCodec = "mpeg4", .VideoTag = "XVID", .FrameSize = "160x120", .FrameRate = "15", .VideoBitrate = 480000, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000}},
    {fmtAVI, 21, {.VideoCodec = "mjpeg", .FrameSize = "640x480", .VideoBitrate = 4096000, .AudioCodec = "pcm_s16le", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 1411000}},
    {fmtAVI, 22, {.VideoCodec = "mpeg4", .VideoTag = "XVID", .FrameSize = "640x480", .FrameRate = "25", .VideoBitrate = 1500000, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000}},
    {fmtAVI, 23, {.VideoCodec = "mpeg4", .VideoTag = "XVID", .FrameSize = "320x240", .FrameRate = "30", .VideoBitrate = 768000, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 96000}},
    {fmtAVI, 24, {.VideoCodec = "mpeg4", .VideoTag = "XVID", .FrameSize = "640x480", .FrameRate = "30", .VideoBitrate = 2000000, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000}},
    {fmtAVI, 25, {.VideoCodec = "mpeg4", .VideoTag = "XVID", .FrameSize = "320x240", .VideoBitrate = 2700000, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000}},
    {fmtAVI, 26, {.VideoCodec = "mpeg4", .VideoTag = "XVID", .FrameSize = "320x240", .FrameRate = "25", .VideoBitrate = 1000000, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000}},
    {fmtAVI, 27, {.VideoCodec = "mpeg4", .VideoTag = "DIVX", .VideoBitrate = 1200000, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 192000}},
    {fmtAVI, 28, {.VideoCodec = "rawvideo", .AudioCodec = "pcm_s16le", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 1411000}},
    // MP4
    {fmtMP4, 0, {.VideoCodec = "libx264", .FrameSize = "320x240", .FrameRate = "30", .VideoBitrate = 640000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000, .ExtraOptions = kOptionBlockA}},
    {fmtMP4, 1, {.VideoCodec = "libx264", .FrameSize = "640x480", .FrameRate = "30", .VideoBitrate = 640000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000, .ExtraOptions = kOptionBlockA}},
    {fmtMP4, 2, {.VideoCodec = "mpeg4", .FrameSize = "320x240", .FrameRate = "30", .VideoBitrate = 600000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000}},
    {fmtMP4, 3, {.VideoCodec = "libx264", .FrameSize = "640x420", .FrameRate = "30", .VideoBitrate = 640000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000, .ExtraOptions = kOptionBlockA}},
    {fmtMP4, 4, {.VideoCodec = "libx264", .FrameSize = "848x480", .FrameRate = "30000/1001", .AspectRatio = "16:9", .VideoBitrate = 2600000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 256000, .VideoPreset = "libx264-default"}},
    {fmtMP4, 5, {.VideoCodec = "libx264", .FrameSize = "848x480", .FrameRate = "30000/1001", .AspectRatio = "16:9", .VideoBitrate = 2600000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 256000, .FileFormat = "psp", .ExtraOptions = kOptionBlockB}},
    {fmtMP4, 6, {.VideoCodec = "libx264", .FrameSize = "848x480", .FrameRate = "30000/1001", .AspectRatio = "16:9", .VideoBitrate = 2600000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 768000, .FileFormat = "psp", .ExtraOptions = kOptionBlockB}},
    {fmtMP4, 7, {.VideoCodec = "libx264", .FrameSize = "368x208", .FrameRate = "30000/1001", .AspectRatio = "16:9", .VideoBitrate = 520000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 128000, .FileFormat = "psp", .ExtraOptions = kOptionBlockB}},
    {fmtMP4, 8, {.VideoCodec = "libx264", .FrameSize = "480x272", .FrameRate = "30000/1001", .AspectRatio = "16:9", .VideoBitrate = 720000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 128000, .FileFormat = "psp", .ExtraOptions = kOptionBlockB}},
    {fmtMP4, 9, {.VideoCodec = "mpeg4", .FrameSize = "640x480", .VideoBitrate = 1200000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 24000, .AudioBitrate = 96000}},
    {fmtMP4, 10, {.VideoCodec = "mpeg4", .FrameSize = "320x240", .VideoBitrate = 640000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 22050, .AudioBitrate = 64000}},
    {fmtMP4, 11, {.VideoCodec = "mpeg4", .FrameSize = "720x480", .VideoBitrate = 1200000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 96000}},
    {fmtMP4, 12, {.VideoCodec = "mpeg4", .FrameSize = "176x144", .FrameRate = "15", .VideoBitrate = 120000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 96000}},
    {fmtMP4, 13, {.VideoCodec = "mpeg4", .FrameSize = "128x96", .FrameRate = "12", .VideoBitrate = 56000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 22050, .AudioBitrate = 56000}},
    {fmtMP4, 14, {.VideoCodec = "mpeg4", .FrameRate = "25", .VideoBitrate = 2500000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 256000}},
    {fmtMP4, 15, {.VideoCodec = "mpeg4", .FrameRate = "25", .VideoBitrate = 1200000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 192000}},
    {fmtMP4, 16, {.VideoCodec = "mpeg4", .FrameRate = "25", .VideoBitrate = 700000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 128000}},
    {fmtMP4, 17, {.VideoCodec = "mpeg4", .FrameSize = "640x480", .FrameRate = "24", .VideoBitrate = 1500000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 128000}},
    {fmtMP4, 18, {.VideoCodec = "mpeg4", .FrameSize = "320x240", .FrameRate = "30", .VideoBitrate = 768000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 96000}},
    // FLV
    {fmtFLV, 0, {.VideoCodec = "libx264", .VideoBitrate = 1200000, .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 160000, .VideoPreset = "libx264-default"}},
    {fmtFLV, 1, {.VideoCodec = "libx264", .FrameRate = "20", .VideoBitrate = 930000, .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 160000, .VideoPreset = "libx264-default"}},
    {fmtFLV, 2, {.FrameSize = "352x288", .FrameRate = "15", .VideoBitrate = 780000, .AudioChannels = 2, .AudioSampleRate = 22050, .AudioBitrate = 64000}},
    {fmtFLV, 3, {.FrameSize = "320x240", .FrameRate = "15", .VideoBitrate = 640000, .AudioChannels = 2, .AudioSampleRate = 11025, .AudioBitrate = 48000}},
    {fmtFLV, 4, {.FrameSize = "276x144", .FrameRate = "15", .VideoBitrate = 480000, .AudioChannels = 1, .AudioSampleRate = 11025, .AudioBitrate = 24000}},
    // SWF
    {fmtSWF, 0, {.FrameRate = "25", .VideoBitrate = 1200000, .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 160000}},
    {fmtSWF, 1, {.FrameRate = "25", .VideoBitrate = 920000, .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 112000}},
    {fmtSWF, 2, {.FrameSize = "352x288", .FrameRate = "15", .VideoBitrate = 780000, .AudioChannels = 2, .AudioSampleRate = 22050, .AudioBitrate = 64000}},
    {fmtSWF, 3, {.FrameSize = "320x240", .FrameRate = "25", .VideoBitrate = 640000, .AudioChannels = 2, .AudioSampleRate = 11025, .AudioBitrate = 48000}},
    {fmtSWF, 4, {.FrameSize = "176x144", .FrameRate = "15", .VideoBitrate = 480000, .AudioChannels = 1, .AudioSampleRate = 11025, .AudioBitrate = 24000}},
    // MPEG
    {fmtMPEG, 0, {.VideoCodec = "mpeg2video", .FrameSize = "1920x1080", .FrameRate = "30000/1001", .AspectRatio = "4:3", .VideoBitrate = 15000000, .AudioCodec = "mp2", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 224000, .MaxRate = 15000000, .MinRate = 15000000, .BufferSize = 6881000}},
    {fmtMPEG, 1, {.VideoCodec = "mpeg2video", .FrameSize = "1280x720", .FrameRate = "30000/1001", .AspectRatio = "4:3", .VideoBitrate = 9000000, .AudioCodec = "mp2", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 224000}},
    {fmtMPEG, 2, {.FrameRate = "30000/1001", .AspectRatio = "4:3", .VideoBitrate = 4000000, .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 224000, .TargetType = 3, .TargetNorm = 2}},
    {fmtMPEG, 3, {.FrameRate = "25", .AspectRatio = "4:3", .VideoBitrate = 4000000, .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 224000, .TargetType = 3, .TargetNorm = 1}},
    {fmtMPEG, 4, {.VideoCodec = "mpeg1video", .FrameRate = "30000/1001", .VideoBitrate = 4000000, .AudioCodec = "mp2", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 224000, .MaxRate = 4000000, .MinRate = 4000000, .BufferSize = 1835000}},
    {fmtMPEG, 5, {.VideoCodec = "mpeg2video", .FrameRate = "30000/1001", .VideoBitrate = 4000000, .AudioCodec = "mp2", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 224000, .MaxRate = 4000000, .MinRate = 4000000, .BufferSize = 1835000}},
    {fmtMPEG, 6, {.VideoCodec = "mpeg1video", .FrameSize = "720x480", .FrameRate = "30000/1001", .VideoBitrate = 1150000, .AudioCodec = "mp2", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000, .MaxRate = 1150000, .MinRate = 1150000, .BufferSize = 527000}},
    {fmtMPEG, 7, {.VideoCodec = "mpeg1video", .FrameSize = "720x480", .FrameRate = "30000/1001", .VideoBitrate = 860000, .AudioCodec = "mp2", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000, .MaxRate = 860000, .MinRate = 860000, .BufferSize = 394000}},
    {fmtMPEG, 8, {.VideoCodec = "mpeg1video", .FrameSize = "320x240", .FrameRate = "30000/1001", .VideoBitrate = 780000, .AudioCodec = "mp2", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 112000, .MaxRate = 780000, .MinRate = 780000, .BufferSize = 357000}},
    {fmtMPEG, 9, {.VideoCodec = "mpeg1video", .FrameSize = "720x480", .FrameRate = "30", .VideoBitrate = 2000000, .AudioCodec = "mp2", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 192000, .MaxRate = 2000000, .MinRate = 2000000, .BufferSize = 917000}},
    {fmtMPEG, 10, {.FrameRate = "30000/1001", .AspectRatio = "4:3", .VideoBitrate = 2376000, .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 224000, .TargetType = 2, .TargetNorm = 2}},
    {fmtMPEG, 11, {.FrameRate = "25", .AspectRatio = "4:3", .VideoBitrate = 2376000, .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 224000, .TargetType = 2, .TargetNorm = 1}},
    {fmtMPEG, 12, {.FrameRate = "30000/1001", .AspectRatio = "4:3", .VideoBitrate = 1150000, .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 224000, .TargetType = 1, .TargetNorm = 2}},
    {fmtMPEG, 13, {.FrameRate = "25", .AspectRatio = "4:3", .VideoBitrate = 1150000, .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 224000, .TargetType = 1, .TargetNorm = 1}},
    // RM
    {fmtRM, 0, {.VideoCodec = "rv20", .VideoBitrate = 1024000}},
    {fmtRM, 1, {.VideoCodec = "rv20", .VideoBitrate = 750000}},
    {fmtRM, 2, {.VideoCodec = "rv20", .VideoBitrate = 512000}},
    {fmtRM, 3, {.VideoCodec = "rv20", .VideoBitrate = 256000}},
    {fmtRM, 4, {.VideoCodec = "rv20", .VideoBitrate = 128000}},
    // WMV
    {fmtWMV, 0, {.VideoCodec = "wmv2", .FrameSize = "1920x1080", .FrameRate = "30000/1001", .VideoBitrate = 9000000, .AudioCodec = "wmav2", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 384000}},
    {fmtWMV, 1, {.VideoCodec = "wmv2", .FrameSize = "1280x720", .FrameRate = "30000/1001", .VideoBitrate = 7000000, .AudioCodec = "wmav2", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 384000}},
    {fmtWMV, 2, {.VideoCodec = "wmv2", .FrameSize = "320x240", .FrameRate = "25", .VideoBitrate = 1112000, .AudioCodec = "wmav2", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 192000}},
    {fmtWMV, 3, {.VideoCodec = "wmv2", .FrameSize = "320x240", .FrameRate = "25", .VideoBitrate = 568000, .AudioCodec = "wmav2", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000}},
    {fmtWMV, 4, {.VideoCodec = "wmv2", .FrameSize = "192x144", .FrameRate = "20", .VideoBitrate = 176000, .AudioCodec = "wmav2", .AudioChannels = 2, .AudioSampleRate = 32000, .AudioBitrate = 48000}},
    {fmtWMV, 5, {.VideoCodec = "wmv2", .FrameSize = "352x288", .FrameRate = "25", .VideoBitrate = 920000, .AudioCodec = "wmav2", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000}},
    {fmtWMV, 6, {.VideoCodec = "wmv2", .FrameSize = "320x240", .FrameRate = "25", .VideoBitrate = 600000, .AudioCodec = "wmav2", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000}},
    {fmtWMV, 7, {.VideoCodec = "wmv2", .FrameSize = "352x288", .FrameRate = "25", .VideoBitrate = 400000, .AudioCodec = "wmav2", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 96000}},
    {fmtWMV, 8, {.VideoCodec = "wmv2", .FrameSize = "480x272", .FrameRate = "25", .VideoBitrate = 700000, .AudioCodec = "wmav2", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 192000}},
    {fmtWMV, 9, {.VideoCodec = "wmv2", .FrameSize = "320x240", .FrameRate = "25", .VideoBitrate = 720000, .AudioCodec = "wmav2", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000}},
    {fmtWMV, 10, {.VideoCodec = "wmv2", .FrameSize = "320x240", .FrameRate = "25", .VideoBitrate = 480000, .AudioCodec = "wmav2", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000}},
    {fmtWMV, 11, {.VideoCodec = "wmv2", .FrameSize = "352x288", .FrameRate = "24", .VideoBitrate = 768000, .AudioCodec = "wmav2", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000}},
    {fmtWMV, 12, {.VideoCodec = "wmv2", .FrameSize = "320x240", .FrameRate = "30", .VideoBitrate = 768000, .AudioCodec = "wmav2", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 128000}},
    {fmtWMV, 13, {.VideoCodec = "wmv2", .FrameSize = "320x240", .FrameRate = "25", .VideoBitrate = 380000, .AudioCodec = "wmav2", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000}},
    {fmtWMV, 14, {.VideoCodec = "wmv2", .FrameSize = "320x240", .FrameRate = "25", .VideoBitrate = 220000, .AudioCodec = "wmav2", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 96000}},
    {fmtWMV, 15, {.VideoCodec = "wmv2", .FrameSize = "320x240", .FrameRate = "25", .VideoBitrate = 2500000, .AudioCodec = "wmav2", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 196000}},
    {fmtWMV, 16, {.VideoCodec = "wmv2", .FrameSize = "320x240", .FrameRate = "25", .VideoBitrate = 720000, .AudioCodec = "wmav2", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000}},
    {fmtWMV, 17, {.VideoCodec = "wmv2", .FrameSize = "320x240", .FrameRate = "25", .VideoBitrate = 480000, .AudioCodec = "wmav2", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 96000}},
    // MOV
    {fmtMOV, 0, {.VideoCodec = "libx264", .VideoBitrate = 1200000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 320000, .VideoPreset = "libx264-default"}},
    {fmtMOV, 1, {.VideoCodec = "libx264", .FrameSize = "848x480", .VideoBitrate = 1200000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 320000, .VideoPreset = "libx264-default"}},
    {fmtMOV, 2, {.VideoCodec = "libx264", .FrameSize = "720x576", .VideoBitrate = 1200000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 320000, .VideoPreset = "libx264-default"}},
    {fmtMOV, 3, {.VideoCodec = "mjpeg", .VideoBitrate = 16384000, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 256000}},
    {fmtMOV, 4, {.VideoCodec = "h263", .FrameSize = "352x288", .VideoBitrate = 6144000, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000}},
    {fmtMOV, 5, {.VideoCodec = "mpeg4", .VideoBitrate = 921600, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 192000}},
    {fmtMOV, 6, {.VideoCodec = "h263", .FrameSize = "176x144", .VideoBitrate = 4014080, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000}},
    {fmtMOV, 7, {.VideoCodec = "mpeg4", .VideoBitrate = 614400, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 96000}},
    {fmtMOV, 8, {.VideoCodec = "svq1", .VideoBitrate = 921600, .AudioCodec = "libmp3lame", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 96000}},
    {fmtMOV, 9, {.VideoCodec = "svq1", .VideoBitrate = 921600, .AudioCodec = "adpcm_ima_qt", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 352000}},
    // 3GP
    {fmt3GP, 0, {.VideoCodec = "h263", .FrameSize = "176x144", .FrameRate = "12", .VideoBitrate = 240000, .AudioChannels = 1, .AudioSampleRate = 8000, .AudioBitrate = 12200}},
    {fmt3GP, 1, {.VideoCodec = "mpeg4", .FrameSize = "176x144", .FrameRate = "15", .VideoBitrate = 104000, .AudioCodec = "libfaac", .AudioChannels = 1, .AudioSampleRate = 32000, .AudioBitrate = 64000}},
    {fmt3GP, 2, {.VideoCodec = "mpeg4", .FrameSize = "176x144", .FrameRate = "12", .VideoBitrate = 64000, .AudioChannels = 1, .AudioSampleRate = 8000, .AudioBitrate = 12200}},
    {fmt3GP, 3, {.VideoCodec = "h263", .FrameSize = "128x96", .FrameRate = "10", .VideoBitrate = 140000, .AudioChannels = 1, .AudioSampleRate = 8000, .AudioBitrate = 10200}},
    {fmt3GP, 4, {.VideoCodec = "mpeg4", .FrameSize = "128x96", .FrameRate = "10", .VideoBitrate = 44000, .AudioChannels = 1, .AudioSampleRate = 8000, .AudioBitrate = 6700}},
    // iPod
    {fmtiPod, 0, {.VideoCodec = "libx264", .FrameSize = "640x480", .FrameRate = "30", .VideoBitrate = 2500000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 160000, .ExtraOptions = kOptionBlockA}},
    {fmtiPod, 1, {.VideoCodec = "libx264", .FrameSize = "480x320", .FrameRate = "30", .VideoBitrate = 2500000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 160000, .ExtraOptions = kOptionBlockA}},
    {fmtiPod, 2, {.VideoCodec = "libx264", .FrameSize = "480x320", .FrameRate = "24", .VideoBitrate = 1300000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000, .ExtraOptions = kOptionBlockA}},
    {fmtiPod, 3, {.VideoCodec = "libx264", .FrameSize = "320x240", .FrameRate = "15", .VideoBitrate = 500000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000, .ExtraOptions = kOptionBlockA}},
    {fmtiPod, 4, {.VideoCodec = "libx264", .FrameSize = "320x240", .FrameRate = "30", .VideoBitrate = 2500000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 160000, .ExtraOptions = kOptionBlockA}},
    {fmtiPod, 5, {.VideoCodec = "libx264", .FrameSize = "320x240", .FrameRate = "24", .VideoBitrate = 1000000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000, .ExtraOptions = kOptionBlockA}},
    {fmtiPod, 6, {.VideoCodec = "libx264", .FrameSize = "320x240", .FrameRate = "15", .VideoBitrate = 500000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000, .ExtraOptions = kOptionBlockA}},
    {fmtiPod, 7, {.VideoCodec = "libx264", .FrameSize = "320x240", .FrameRate = "30", .VideoBitrate = 2500000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 160000, .ExtraOptions = kOptionBlockA}},
    {fmtiPod, 8, {.VideoCodec = "libx264", .FrameSize = "320x240", .FrameRate = "24", .VideoBitrate = 1000000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000, .ExtraOptions = kOptionBlockA}},
    {fmtiPod, 9, {.VideoCodec = "libx264", .FrameSize = "320x240", .FrameRate = "15", .VideoBitrate = 500000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000, .ExtraOptions = kOptionBlockA}},
    // iPhone
    {fmtiPhone, 0, {.VideoCodec = "libx264", .FrameSize = "640x480", .FrameRate = "30", .VideoBitrate = 2500000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 160000, .ExtraOptions = kOptionBlockA}},
    {fmtiPhone, 1, {.VideoCodec = "libx264", .FrameSize = "480x320", .FrameRate = "30", .VideoBitrate = 1300000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000, .ExtraOptions = kOptionBlockA}},
    {fmtiPhone, 2, {.VideoCodec = "libx264", .FrameSize = "320x240", .FrameRate = "15", .VideoBitrate = 500000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000, .ExtraOptions = kOptionBlockA}},
    // AppleTV
    {fmtAppleTV, 0, {.VideoCodec = "libx264", .FrameSize = "640x480", .FrameRate = "24", .VideoBitrate = 5000000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 160000, .ExtraOptions = kOptionBlockA}},
    {fmtAppleTV, 1, {.VideoCodec = "libx264", .FrameSize = "720x540", .FrameRate = "24", .VideoBitrate = 2000000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000, .ExtraOptions = kOptionBlockA}},
    {fmtAppleTV, 2, {.VideoCodec = "libx264", .FrameSize = "480x360", .FrameRate = "24", .VideoBitrate = 1000000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000, .ExtraOptions = kOptionBlockA}},
    // PSP
    {fmtPSP, 0, {.VideoCodec = "libx264", .FrameSize = "480x272", .FrameRate = "30", .VideoBitrate = 1500000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 160000, .FileFormat = "psp", .ExtraOptions = kOptionBlockB}},
    {fmtPSP, 1, {.VideoCodec = "libx264", .FrameSize = "368x208", .FrameRate = "24", .VideoBitrate = 1000000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000, .FileFormat = "psp", .ExtraOptions = kOptionBlockB}},
    {fmtPSP, 2, {.VideoCodec = "libx264", .FrameSize = "368x208", .FrameRate = "15", .VideoBitrate = 500000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000, .FileFormat = "psp", .ExtraOptions = kOptionBlockB}},
    // BlackBerry
    {fmtBlackBerry, 0, {.VideoCodec = "libx264", .FrameSize = "640x480", .FrameRate = "30", .VideoBitrate = 2500000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 160000, .VideoPreset = "libx264-default"}},
    {fmtBlackBerry, 1, {.VideoCodec = "libx264", .FrameSize = "480x320", .FrameRate = "30", .VideoBitrate = 1300000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000, .VideoPreset = "libx264-default"}},
    {fmtBlackBerry, 2, {.VideoCodec = "libx264", .FrameSize = "320x240", .FrameRate = "15", .VideoBitrate = 500000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000, .VideoPreset = "libx264-default"}},
    // MobilePhone
    {fmtMobilePhone, 0, {.VideoCodec = "mpeg4", .FrameSize = "320x240", .FrameRate = "15", .VideoBitrate = 600000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 192000}},
    {fmtMobilePhone, 1, {.VideoCodec = "mpeg4", .FrameSize = "176x144", .FrameRate = "15", .VideoBitrate = 256000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000}},
    {fmtMobilePhone, 2, {.VideoCodec = "mpeg4", .FrameSize = "176x144", .FrameRate = "12", .VideoBitrate = 146000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 32000, .AudioBitrate = 96000}},
    {fmtMobilePhone, 3, {.VideoCodec = "mpeg4", .FrameSize = "128x96", .FrameRate = "10", .VideoBitrate = 119000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 22050, .AudioBitrate = 64000}},
    // iPad
    {fmtiPad, 0, {.VideoCodec = "libx264", .FrameSize = "640x480", .FrameRate = "30", .VideoBitrate = 2500000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 48000, .AudioBitrate = 160000, .ExtraOptions = kOptionBlockA}},
    {fmtiPad, 1, {.VideoCodec = "libx264", .FrameSize = "480x320", .FrameRate = "30", .VideoBitrate = 1300000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000, .ExtraOptions = kOptionBlockA}},
    {fmtiPad, 2, {.VideoCodec = "libx264", .FrameSize = "320x240", .FrameRate = "15", .VideoBitrate = 500000, .AudioCodec = "libfaac", .AudioChannels = 2, .AudioSampleRate = 44100, .AudioBitrate = 128000, .ExtraOptions = kOptionBlockA}},
};
// clang-format on

void assignText(const char* value, std::string& field) {
    if (value)
        field = value;
}

void assignNumber(int value, int& field) {
    if (value != -1)
        field = value;
}

void applySettings(const TRecipeSettings& s, int inputAudioBitrate, TOutputOptions& o) {
    assignText(s.VideoCodec, o.VideoCodec);
    assignText(s.VideoTag, o.VideoTag);
    assignText(s.FrameSize, o.FrameSize);
    assignText(s.FrameRate, o.FrameRate);
    assignText(s.AspectRatio, o.AspectRatio);
    assignNumber(s.VideoBitrate, o.VideoBitrate);
    assignText(s.AudioCodec, o.AudioCodec);
    assignNumber(s.AudioChannels, o.AudioChannels);
    assignNumber(s.AudioSampleRate, o.AudioSampleRate);
    assignNumber(s.AudioBitrateFromInput ? inputAudioBitrate : s.AudioBitrate, o.AudioBitrate);
    assignText(s.FileFormat, o.FileFormat);
    assignText(s.VideoPreset, o.VideoPreset);
    assignNumber(s.MaxRate, o.MaxRate);
    assignNumber(s.MinRate, o.MinRate);
    assignNumber(s.BufferSize, o.BufferSize);
    assignNumber(s.TargetType, o.TargetType);
    assignNumber(s.TargetNorm, o.TargetNorm);
    assignText(s.ExtraOptions, o.ExtraOptions);
}

} // namespace

std::span<const TPresetRecipe> AllPresetRecipes() {
    return kPresetRecipes;
}

const TRecipeSettings* FindPresetRecipe(TFormatId format, int preset) {
    for (const TPresetRecipe& row : kPresetRecipes)
        if (row.Format == format && row.Preset == preset)
            return &row.Settings;
    return nullptr;
}

const TRecipeSettings* FindCommonSettings(TFormatId format) {
    for (const TCommonSettings& row : kCommonSettings)
        if (row.Format == format)
            return &row.Settings;
    return nullptr;
}

void ApplyPresetRecipe(TFormatId format, int preset, int inputAudioBitrate, TOutputOptions& options) {
    if (const TRecipeSettings* common = FindCommonSettings(format))
        applySettings(*common, inputAudioBitrate, options);
    if (const TRecipeSettings* row = FindPresetRecipe(format, preset))
        applySettings(*row, inputAudioBitrate, options);
}
