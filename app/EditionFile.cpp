#include "EditionFile.h"

#include "IniFile.h"
#include "PathUtils.h"

#include <QCoreApplication>
#include <QDir>

namespace {

constexpr TEditionFormat kFormats[] = {
    {fcVideo, 0, "AVI", "AVI", psAVI},
    {fcVideo, 1, "MP4", "MP4", psMP4},
    {fcVideo, 2, "FLV", "FLV", psFLV},
    {fcVideo, 3, "SWF", "SWF", psSWF},
    {fcVideo, 4, "MPEG", "MPEG", psMPEG},
    {fcVideo, 5, "RM", "RM", psRM},
    {fcVideo, 6, "WMV", "WMV", psWMV},
    {fcVideo, 7, "MOV", "MOV", psMOV},
    {fcVideo, 8, "3GP", "3GP", ps3GP},
    {fcDevice, 0, "IPOD", "iPod", psiPod},
    {fcDevice, 1, "IPHONE", "iPhone", psiPhone},
    {fcDevice, 2, "APPLETV", "AppleTV", psAppleTV},
    {fcDevice, 3, "PSP", "PSP", psPSP},
    {fcDevice, 4, "BLACKBERRY", "BlackBerry", psBlackBerry},
    {fcDevice, 5, "MOBILEPHONE", "MobilePhone", psMobilePhone},
    {fcDevice, 6, "IPAD", "iPad", psiPad},
    {fcAudio, 0, "WAV", "WAV", psWAV},
    {fcAudio, 1, "MP3", "MP3", psMP3},
    {fcAudio, 2, "WMA", "WMA", psWMA},
    {fcAudio, 3, "OGG", "OGG", psOGG},
    {fcAudio, 4, "AAC", "AAC", psAAC},
    {fcAudio, 5, "M4A", "M4A", psM4A},
    {fcAudio, 6, "FLAC", "FLAC", psFLAC},
    {fcAudio, 7, "MP2", "MP2", psMP2},
};

} // namespace

std::span<const TEditionFormat> EditionFormats() {
    return kFormats;
}

TEditionProfile ReadEditionFile(const std::string& path) {
    const TIniFile ini(path);
    const char* s = kEditionSection;
    TEditionProfile p;
    p.Name = ini.ReadString(s, "Name", p.Name);
    p.Version = ini.ReadString(s, "Version", p.Version);
    p.Copyright = ini.ReadString(s, "Copyright", p.Copyright);
    p.Download = ini.ReadBool(s, "Download", p.Download);
    p.Res = ini.ReadString(s, "Res", p.Res);
    for (const TEditionFormat& format : kFormats)
        p.Offered[format.Preset] = ini.ReadBool(s, format.Key, false);
    p.DefaultVideo = ini.ReadInteger(s, "DefaultVideo", p.DefaultVideo);
    p.DefaultDevice = ini.ReadInteger(s, "DefaultDevice", p.DefaultDevice);
    p.DefaultAudio = ini.ReadInteger(s, "DefaultAudio", p.DefaultAudio);
    p.DefaultClass = ini.ReadInteger(s, "DefaultClass", p.DefaultClass);
    p.Skin = ini.ReadString(s, "Skin", p.Skin);
    p.Merge = ini.ReadBool(s, "Merge", p.Merge);
    return p;
}

std::string ExecutableDir() {
    return WithTrailingBackslash(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString());
}

std::string ResourceFolder(const std::string& exeDir, const std::string& res) {
    return WithTrailingBackslash(WithTrailingBackslash(exeDir) + "sounds" + PathSeparator() + "res" + res);
}
