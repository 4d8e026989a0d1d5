#include "app/EditionFile.h"

#include "support/IniFile.h"
#include "support/PathUtils.h"

#include <QCoreApplication>
#include <QDir>

TEditionProfile ReadEditionFile(const std::string& path) {
    const TIniFile ini(path);
    const char* s = kEditionSection;
    TEditionProfile p;
    p.Name = ini.ReadString(s, "Name", p.Name);
    p.Version = ini.ReadString(s, "Version", p.Version);
    p.Copyright = ini.ReadString(s, "Copyright", p.Copyright);
    p.Download = ini.ReadBool(s, "Download", p.Download);
    p.Res = ini.ReadString(s, "Res", p.Res);
    for (const TFormatInfo& format : AllFormats())
        p.Offered[format.Id] = ini.ReadBool(s, std::string(format.EditionKey), false);
    p.DefaultVideo = ini.ReadInteger(s, "DefaultVideo", p.DefaultVideo);
    p.DefaultDevice = ini.ReadInteger(s, "DefaultDevice", p.DefaultDevice);
    p.DefaultAudio = ini.ReadInteger(s, "DefaultAudio", p.DefaultAudio);
    p.DefaultClass = ini.ReadInteger(s, "DefaultClass", p.DefaultClass);
    p.Skin = ini.ReadString(s, "Skin", p.Skin);
    p.Merge = ini.ReadBool(s, "Merge", p.Merge);
    return p;
}

std::string ExecutableDir() {
    return WithTrailingBackslash(
        QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString());
}

std::string ResourceFolder(const std::string& exeDir, const std::string& res) {
    return WithTrailingBackslash(WithTrailingBackslash(exeDir) + "sounds" + PathSeparator() + "res" + res);
}
