#include "convert/FormatCatalog.h"

namespace {

using Caption = std::string_view;

constexpr Caption kWAV[] = {
    "For Mobiles - PCM: 11025 Hz, Mono, 16 bits",
    "AM Radio Quality - PCM: 22050 Hz, Mono, 16 bits",
    "FM Radio Quality - PCM: 22050 Hz, Sterro, 24 bits",
    "HiFi Quality - PCM: 48000Hz, Stereo, 32 bits",
    "Uncompressed (CD Audio Quality)",
};

constexpr Caption kMP3[] = {
    "For Mobile - MP3: 44100 Hz, Stereo, 112 kbps",
    "For Media Player - MP3: 48000 Hz, Stereo, 128 kbps",
    "Normal Quality - MP3: 48000 Hz, Stereo, 256 kbps",
    "Best Quality - MP3: 48000 Hz, Stereo, 320 kbps",
};

constexpr Caption kWMA[] = {
    "For Media Player Best Quality",
    "For Media Player Economy Quality",
    "For Pocket PCs/PDAs Normal Quality",
    "For PC Normal Quality",
    "WMA Losslesss Audio",
};

constexpr Caption kOGG[] = {
    "Telephone Quality - Ogg Vorbis: Quality - 4.97; 11025 Hz, Mono",
    "AM Radio Quality - Ogg Vorbis: Quality - 4.97; 22050 Hz, Mono",
    "FM Radio Quality - Ogg Vorbis: Quality - 4.97; 22050 Hz, Stereo",
    "CD Quality - Ogg Vorbis: Quality - 4.97; 44100 Hz, Stereo",
    "HiFi Quality - Ogg Vorbis: Quality - 8.05; 48000 Hz, Stereo",
};

constexpr Caption kAAC[] = {
    "For Mobiles - MPEG2/4 LC: 16000 Hz, Mono, 96 kbps",
    "AM Quality - MPEG2/4 LC: 22500 Hz, Mono, 112 kbps",
    "FM Quality - MPEG2/4 LC: 22500 Hz, Stereo, 224 kbps",
    "CD Quality - MPEG2/4 LC: 44100 Hz, Stereo, 256 kbps",
    "HiFi Quality - MPEG2/4 LC: 48000 Hz, Stereo, 256 kbps",
};

constexpr Caption kM4A[] = {
    "Normal Quality - MPEG2/4 LC: 44100 Hz, Stereo, 96 kbps",
    "Best Quality - MPEG2/4 LC: 48000 Hz, Stereo, 256 kbps",
};

constexpr Caption kFLAC[] = {
    "Compression Level 0", "Compression Level 1", "Compression Level 2",
    "Compression Level 3", "Compression Level 4", "Compression Level 5 (Default)",
    "Compression Level 6", "Compression Level 7", "Compression Level 8",
};

constexpr Caption kMP2[] = {
    "For Mobiles - MPEG layer-2: 22050 Hz, Mono, 96 kbps",
    "AM Quality - MPEG layer-2: 22050 Hz, Mono, 112 kbps",
    "FM Quality - MPEG layer-2: 22050 Hz, Stereo, 128 kbps",
};

constexpr Caption kAVI[] = {
    "HD Video 720p: MPEG4 (DivX, XviD), 4500 kbps; Audio: MP3, 192 kbps",
    "HD Video 1080p: H.264/AVC, 4200 kbps; Audio: MP3, 256 kbps",
    "Video: MPEG4 (DivX, XviD), 2500 kbps, Original; Audio: MP3, 256 kbps",
    "Video: MPEG4 (DivX, XviD), 1500 kbps, Original; Audio: MP3, 192 kbps",
    "Video: MPEG4 (DivX, XviD), 768 kbps, Original; Audio: MP3, 96 kbps",
    "Video: MPEG4 (DivX, XviD), 2500 kbps, 720x540; Audio: MP3, 256 kbps",
    "Video: MPEG4 (DivX, XviD), 1500 kbps, 512x384; Audio: MP3, 192 kbps",
    "Video: MPEG4 (DivX, XviD), 768 kbps, 320x240; Audio: MP3, 96 kbps",
    "Video: H.264/AVC, 1200 kbps; Audio: MP3, 192 kbps",
    "Video: H.264/AVC, 768 kbps; Audio: MP3, 96 kbps",
    "BlackBerry 81xx - (MPEG4, 560 kbps, 320x240)",
    "BlackBerry 8xxx - (MPEG4, 420 kbps, 240x180)",
    "Archos AV500/700; 4-series (704,604,504,404) - (MPEG4, 1800 kbps, Original)",
    "Archos AV500/700; 4-series (704,604,504,404) - (MPEG4, 900 kbps, 480x272)",
    "Creative Zen Vision W - (MPEG4, 1800 kbps, 720x480)",
    "Creative Zen Vision - (MPEG4, 1200 kbps, 640x480)",
    "Creative Zen Vision M - (MPEG4, 720 kbps, 320x240)",
    "Epson P3000/P4500/P5000 - (MPEG4, 2 mbps, 720x480, 30 fps)",
    "iRiver U20(Clix) - (MPEG4, 320 kbps, 320x240, 15 fps)",
    "iRiver U10 Clix - (MPEG4, 560 kbps, 320x240, 15 fps)",
    "iAudio X5 - Optimized for hardware - (MPEG4, 600 kbps, 160x120, 15 fps)",
    "Nindendo Wii Clip",
    "SanDisk Sansa View - Hight Quality - (MPEG4, 640x480; MP3, 128kbps)",
    "SanDisk Sansa View - Normal Quality - (MPEG4, 320x240; MP3, 96kbps)",
    "Video for Google Video",
    "Video for YouTube",
    "Video for Myspace",
    "Video: DivX; Audio: MP3, 192 kbps",
    "Video: Uncompressed, Original; Audio: PCM",
};

constexpr Caption kMP4[] = {
    "Apple iPod - (H.264, 320x240)",
    "Apple iPod - (H.264, 640x480)",
    "Apple iPod - (MPEG4, 320x240)",
    "Apple iPhone/iTouch - (H.264,640x420)",
    "Microsoft XBox360 - Normal HD Quality 480p - (H.264, 29.97 fps, 848x480)",
    "Sony PS3 - Normal HD Quality 480p - (H.264, 29.97 fps, 848x480)",
    "Sony PS3 - Normal HD Quality 480p, Surround - (H.264, 29.97 fps, 848x480)",
    "Sony PSP - Normal - (H.264, 29.97 fps, 368x208)",
    "Sony PSP - High Resolution - (H264, 29.97 fps, 480x272)",
    "Epson P2000/P4000 - High Quality - (MPEG4, 640x480)",
    "Epson P2000/P4000 - Economy Quality - (MPEG4, 320x240)",
    "Epson P3000/P4500/P5000 - Best Quality - (MPEG4, 720x480)",
    "Mobile - Standard Quality - (MPEG4, 176x144, 15 fps)",
    "Mobile - Economy Quality - (MPEG4, 128x96, 12 fps)",
    "PC - High Quality - (MPEG4, 2500 kbps, Original Size, 25 fps)",
    "PC - Standard Quality - (MPEG4, 1200 kbps, Original Size, 25 fps)",
    "PC - Economy Quality - (MPEG4, 700 kbps, Original Size, 25 fps)",
    "SanDisk Sansa View - Hight Quality - (MPEG4, 640x480; MPEG2/4 Audio, 128kbps)",
    "SanDisk Sansa View - Normal Quality - (MPEG4, 320x240; MPEG2/4 Audio, 96kbps)",
};

constexpr Caption kFLV[] = {
    "FLV - Best Quality - (H.264, 1200 kbps, Original; MP3, 160 kbps)",
    "FLV - Normal Quality - (H.264, 920 kbps, Original size, 20 fps; MP3, 112 kbps)",
    "FLV - Optimal Quality - (H.263, 780 kbps, 352x288, 15 fps; MP3, 64 kbps)",
    "FLV - Low Quality - (H.263, 640 kbps, 320x240, 15 fps; MP3, 48 kbps)",
    "FLV - Least Quality - (H.263, 480 kbps, 176x144, 15 fps; MP3, 24 kbps)",
};

constexpr Caption kSWF[] = {
    "SWF - Best Quality - (H.263, Original; MP3, 160 kbps)",
    "SWF - Normal Quality - (H.263, 920 kbps, Original size, 20 fps; MP3, 112 kbps)",
    "SWF - Optimal Quality - (H.263, 780 kbps, 352x288, 15 fps; MP3, 64 kbps)",
    "SWF - Low Quality - (H.263, 640 kbps, 320x240, 15 fps; MP3, 48 kbps)",
    "SWF - Least Quality - (H.263, 480 kbps, 176x144, 15 fps; MP3, 24 kbps)",
};

constexpr Caption kMPEG[] = {
    "HD Video 1080p - (MPEG2, 15000 kbps, 1920x1080, 29.97 fps)",
    "HD Video 720p - (MPEG2, 9000 kbps, 1280x720, 29.97 fps)",
    "DVD NTSC compatible - (MPEG2, 4000 kbps, 720x480, 29.97 fps)",
    "DVD PAL compatible - (MPEG2, 4000 kbps, 720x576, 25 fps)",
    "Video: MPEG1, 4000 kbps, Original size, 29.97 fps; Audio: 224 kbps",
    "Video: MPEG2, 4000 kbps, Original size, 29.97 fps; Audio: 224 kbps",
    "Creative ZEN Vision W - Best Quality - (MPEG1, 1150 kbps, 720x480, 29.97 fps)",
    "Creative ZEN Vision - Standard Quality - (MPEG1, 860 kbps, 480x360, 29.97 fps)",
    "Creative ZEN Vision M - Normal Quality - (MPEG1, 780 kbps, 320x240, 29.97 fps)",
    "Epson P3000/P4500/P5000 - (MPEG2, 2000 kbps, 720x480, 30 fps)",
    "SVCD NTSC compatible - (MPEG2, 2376 kbps, 480x480, 29.97 fps)",
    "SVCD PAL compatible - (MPEG2, 2376 kbps, 480x576, 25 fps)",
    "VCD NTSC compatible - (MPEG1, 1150 kbps, 352x240, 29.97 fps)",
    "VCD PAL compatible - (MPEG1, 1150 kbps, 352x288, 25 fps)",
};

constexpr Caption kRM[] = {
    "RM - Best Quality - (1024 kbps, Original)",   "RM - Normal Quality - (750 kbps, Original)",
    "RM - Optimal Quality - (512 kbps, Original)", "RM - Low Quality  - (256 kbps, Original)",
    "RM - Least Quality  - (128 kbps, Original)",
};

constexpr Caption kWMV[] = {
    "HD Video 1080p: WMV 9, 9000 kbps; Audio: WMA Pro, 384kbps",
    "HD Video 720p: WMV 9, 7000 kbps; Audio: WMA Pro, 384kbps",
    "Microsoft Zune - Best Quality - (1112 kbps, 320x240, 25 fps)",
    "Microsoft Zune - Normal Quality - (568 kbps, 320x240, 25 fps)",
    "Video for Pocket PCs/PDAs",
    "Archos AV500/700; 4-series (704,604,504,404) - Highest Available Quality",
    "Archos AV500/700; 4-series (704,604,504,404) - Good Quality",
    "Archos AV500/700; 4-series (704,604,504,404) - Low Quality",
    "Creative ZEN Vision W - Highest Available Quality",
    "Creative ZEN Vision - Good Quality",
    "Creative ZEN Vision M - Normal Quality",
    "Epson Multimedia Storage Viewer P3000/P5000",
    "SanDisk Sansa View",
    "Palm Treo series",
    "HP iPaq series",
    "Windows Media Video 9 High Quality",
    "Windows Media Video 9 Standard Quality",
    "Windows Media Video 9 Low Quality",
};

constexpr Caption kMOV[] = {
    "Apple TV - Best Quality - (H.264, Original; MP2/4 (AAC), 320 kbps)",
    "Quick Time - HD Quality 480p - (H.264, 848x480; MP2/4 (AAC), 320 kbps)",
    "Quick Time - DVD Quality - (H.264, 720x576; MP2/4 (AAC), 320 kbps)",
    "Quick Time - Photo Quality - (Photo Jpeg, Original; MP3, 256 kbps)",
    "Quick Time - Optimal Quality - (H.263, 352x288; MP3, 128 kbps)",
    "Quick Time - Highest Available Quality - (MPEG4, Original; MP3, 192 kbps)",
    "Quick Time - Standard Quality - (H.263, 176x144; MP3, 128 kbps)",
    "Quick Time - Balanced Quality - (MPEG4, Original; MP3, 96 kbps)",
    "Quick Time - Economy Quality - (Sorenson Video; MP3, 96 kbps)",
    "Quick Time - Economy Quality - (Sorenson Video; IMA ADPCM)",
};

constexpr Caption k3GP[] = {
    "3GPP - Extended Mobile Support - (H.263, 240 kbps, 176x144, 12 fps; AMR)",
    "3GPP - Mobile Highest Available Quality - (MPEG4, 104 kbps, 176x144, 15 fps; AAC)",
    "3GPP - Mobile Standard Quality - (MPEG4, 64 kbps, 176x144, 12 fps; AMR)",
    "3GPP - Mobile Balanced Quality - (H.263, 140 kbps, 128x96, 10 fps; AMR)",
    "3GPP - Mobile Smallest Size with Audio - (MPEG4, 44 kbps, 128x96, 10 fps; AMR)",
};

constexpr Caption kiPod[] = {
    "iPod Highest Quality (H264, 30 fps, 640x480, 2500 kbps; AAC - 160 kbps)",
    "iPod Touch High Quality (H264, 30 fps, 480x320, 2500 kbps; AAC - 160 kbps) ",
    "iPod Touch Standard Quality (H264, 24 fps, 480x320, 1300 kbps; AAC - 128 kbps)",
    "iPod Touch Economy Quality (H264, 15 fps, 320x240, 500 kbps; AAC - 128 kbps) ",
    "iPod Classic High Quality (H264, 30 fps, 320x240, 2500 kbps; AAC - 160 kbps)",
    "iPod Classic Standard Quality (H264, 24 fps, 320x240, 1000 kbps; AAC - 128 kbps)",
    "iPod Classic Economy Quality (H264, 15 fps, 320x240, 500 kbps; AAC - 128 kbps)",
    "iPod Nano High Quality (H264, 30 fps, 320x240, 2500 kbps; AAC - 160 kbps)",
    "iPod Nano Standard Quality (H264, 24 fps, 320x240, 1000 kbps; AAC - 128 kbps)",
    "iPod Nano Economy Quality (H264, 15 fps, 320x240, 500 kbps; AAC - 128 kbps)",
};

constexpr Caption kiPhone[] = {
    "iPhone High Quality (H264, 30 fps, 640x480, 2500 kbps; AAC - 160 kbps)",
    "iPhone Standard Quality (H264, 24 fps, 480x320, 1300 kbps; AAC - 128 kbps)",
    "iPhone Economy Quality (H264, 15 fps, 320x240, 500 kbps; AAC - 128 kbps)",
};

constexpr Caption kAppleTV[] = {
    "AppleTV High Quality (H264, 24 fps, 1280x720, 5000 kbps; AAC - 160 kbps)",
    "AppleTV Standard Quality (H264, 24 fps, 720x540, 2000 kbps; AAC - 128 kbps)",
    "AppleTV Economy Quality (H264, 24 fps, 480x360, 1000 kbps; AAC - 128 kbps)",
};

constexpr Caption kPSP[] = {
    "PSP Highest Quality (H264, 30 fps, 480x272, 1500 kbps; AAC - 160 kbps)",
    "PSP Optimal Quality (H264, 24 fps, 368x208, 1000 kbps; AAC - 128 kbps)",
    "PSP Economy Quality (H264, 15 fps, 368x208, 500 kbps; AAC - 128 kbps)",
};

constexpr Caption kBlackBerry[] = {
    "BlackBerry High Quality (H264, 30 fps, 640x480, 2500 kbps; AAC - 160 kbps)",
    "BlackBerry Standard Quality (H264, 24 fps, 480x320, 1300 kbps; AAC - 128 kbps)",
    "BlackBerry Economy Quality (H264, 15 fps, 320x240, 500 kbps; AAC - 128 kbps)",
};

constexpr Caption kMobilePhone[] = {
    "Mobile MP4 High Quality (MPEG4, 15 fps, 320x240, 600 kbps; AAC - 192 kbps)",
    "Mobile MP4 Standard Quality (MPEG4, 15 fps, 176x144, 256 kbps; AAC - 128 kbps)",
    "Mobile MP4 Balanced Quality (MPEG4, 12 fps, 176x144, 146 kbps; AAC - 96 kbps)",
    "Mobile MP4 Economy Quality (MPEG4, 10 fps, 128x96, 119 kbps; AAC - 64 kbps)",
};

constexpr Caption kiPad[] = {
    "iPad High Quality (H264, 30 fps, 640x480, 2500 kbps; AAC - 160 kbps)",
    "iPad Standard Quality (H264, 24 fps, 480x320, 1300 kbps; AAC - 128 kbps)",
    "iPad Economy Quality (H264, 15 fps, 320x240, 500 kbps; AAC - 128 kbps)",
};

// clang-format off
constexpr std::array<TFormatInfo, kFormatCount> kFormats = {{
    // id           class     index name        ext      default captions      edition key    settings key               position
    {fmtWAV,         fcAudio,  0, "WAV",         ".wav",  3,  kWAV,         "WAV",         "OutputWAVPreset",         0},
    {fmtMP3,         fcAudio,  1, "MP3",         ".mp3",  2,  kMP3,         "MP3",         "OutputMP3Preset",         1},
    {fmtWMA,         fcAudio,  2, "WMA",         ".wma",  1,  kWMA,         "WMA",         "OutputWMAPreset",         2},
    {fmtOGG,         fcAudio,  3, "OGG",         ".ogg",  3,  kOGG,         "OGG",         "OutputOGGPreset",         3},
    {fmtAAC,         fcAudio,  4, "AAC",         ".aac",  3,  kAAC,         "AAC",         "OutputAACPreset",         5},
    {fmtM4A,         fcAudio,  5, "M4A",         ".m4a",  0,  kM4A,         "M4A",         "OutputM4APreset",         4},
    {fmtFLAC,        fcAudio,  6, "FLAC",        ".flac", 5,  kFLAC,        "FLAC",        "OutputFLACPreset",        6},
    {fmtMP2,         fcAudio,  7, "MP2",         ".mp2",  0,  kMP2,         "MP2",         "OutputMP2Preset",         7},
    {fmtAVI,         fcVideo,  0, "AVI",         ".avi",  3,  kAVI,         "AVI",         "OutputAVIPreset",         8},
    {fmtMP4,         fcVideo,  1, "MP4",         ".mp4",  3,  kMP4,         "MP4",         "OutputMP4Preset",         9},
    {fmtFLV,         fcVideo,  2, "FLV",         ".flv",  1,  kFLV,         "FLV",         "OutputFLVPreset",         10},
    {fmtSWF,         fcVideo,  3, "SWF",         ".swf",  1,  kSWF,         "SWF",         "OutputSWFPreset",         11},
    {fmtMPEG,        fcVideo,  4, "MPEG",        ".mpg",  5,  kMPEG,        "MPEG",        "OutputMPEGPreset",        12},
    {fmtRM,          fcVideo,  5, "RM",          ".rm",   1,  kRM,          "RM",          "OutputRMPreset",          13},
    {fmtWMV,         fcVideo,  6, "WMV",         ".wmv",  16, kWMV,         "WMV",         "OutputWMVPreset",         14},
    {fmtMOV,         fcVideo,  7, "MOV",         ".mov",  7,  kMOV,         "MOV",         "OutputMOVPreset",         15},
    {fmt3GP,         fcVideo,  8, "3GP",         ".3gp",  2,  k3GP,         "3GP",         "Output3GPPreset",         16},
    {fmtiPod,        fcDevice, 0, "iPod",        ".mp4",  5,  kiPod,        "IPOD",        "OutputiPodPreset",        17},
    {fmtiPhone,      fcDevice, 1, "iPhone",      ".mp4",  1,  kiPhone,      "IPHONE",      "OutputiPhonePreset",      18},
    {fmtAppleTV,     fcDevice, 2, "AppleTV",     ".mp4",  1,  kAppleTV,     "APPLETV",     "OutputAppleTVPreset",     19},
    {fmtPSP,         fcDevice, 3, "PSP",         ".mp4",  1,  kPSP,         "PSP",         "OutputPSPPreset",         20},
    {fmtBlackBerry,  fcDevice, 4, "BlackBerry",  ".mp4",  1,  kBlackBerry,  "BLACKBERRY",  "OutputBlackBerryPreset",  21},
    {fmtMobilePhone, fcDevice, 5, "MobilePhone", ".mp4",  1,  kMobilePhone, "MOBILEPHONE", "OutputMobilePhonePreset", 22},
    {fmtiPad,        fcDevice, 6, "iPad",        ".mp4",  0,  kiPad,        "IPAD",        "OutputiPadPreset",        23},
}};
// clang-format on

// FormatInfo(id) and the preset slots read a row by its id.
constexpr bool RowsInIdOrder() {
    for (int i = 0; i < kFormatCount; ++i)
        if (kFormats[i].Id != i)
            return false;
    return true;
}
static_assert(RowsInIdOrder());

constexpr std::string_view kClassNames[kFormatClassCount] = {"Video", "Device", "Audio"};

} // namespace

std::string_view FormatClassName(TFormatClass formatClass) {
    return kClassNames[formatClass];
}

std::span<const TFormatInfo> AllFormats() {
    return kFormats;
}

const TFormatInfo& FormatInfo(TFormatId id) {
    return kFormats[id];
}

const TFormatInfo* FindFormat(int classIndex, int indexInClass) {
    for (const TFormatInfo& format : kFormats)
        if (format.Class == classIndex && format.IndexInClass == indexInClass)
            return &format;
    return nullptr;
}

int FormatCountInClass(TFormatClass formatClass) {
    int count = 0;
    for (const TFormatInfo& format : kFormats)
        count += format.Class == formatClass;
    return count;
}

std::array<std::int32_t, kFormatCount> DefaultPresetIndices() {
    std::array<std::int32_t, kFormatCount> presets{};
    for (const TFormatInfo& format : kFormats)
        presets[format.Id] = format.DefaultPreset;
    return presets;
}
