// The application menu's entry as installed: the default edition's name, and "Open with"
// for the audio and video types whose files the input list takes.

#include "app/EditionFile.h"
#include "convert/InputListPage.h"

#include <QFile>
#include <QMimeDatabase>
#include <QSet>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>

namespace {

std::map<QString, QString> ReadDesktopEntry(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(path);
    std::map<QString, QString> keys;
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            keys[line.left(equals)] = line.mid(equals + 1);
    }
    return keys;
}

bool TakesFilesOf(const QMimeType& type) {
    const QStringList suffixes = type.suffixes();
    return std::any_of(suffixes.begin(), suffixes.end(),
                       [](const QString& suffix) { return IsDroppableMediaFile("clip." + suffix); });
}

} // namespace

TEST(DesktopEntry, NamesTheDefaultEditionAndOffersTheMediaTypesTheInputListTakes) {
    auto entry = ReadDesktopEntry(QStringLiteral(MEDIAWIZ_DESKTOP_ENTRY));
    EXPECT_EQ(entry["Name"].toStdString(), ReadEditionFile(MEDIAWIZ_APP_DIR "/lame.dll").Name);
    EXPECT_EQ(entry["Exec"], "mediawiz %F");

    const QMimeDatabase mime;
    QSet<QString> offered;
    for (const QString& name : entry["MimeType"].split(';', Qt::SkipEmptyParts)) {
        const QMimeType type = mime.mimeTypeForName(name);
        ASSERT_TRUE(type.isValid()) << "unknown type " << qPrintable(name);
        EXPECT_TRUE(TakesFilesOf(type)) << qPrintable(name) << " names no file the input list takes";
        offered << type.name();
    }
    for (const QMimeType& type : mime.allMimeTypes()) {
        const QString name = type.name();
        if (!name.startsWith("audio/") && !name.startsWith("video/"))
            continue;
        // MIDI files hold no sound the media libraries can decode.
        if (name == "audio/midi")
            continue;
        if (TakesFilesOf(type)) {
            EXPECT_TRUE(offered.contains(name)) << qPrintable(name) << " is not offered";
        }
    }
}
