#pragma once

#include "app/EditionFile.h"
#include "app/EditionSetup.h"
#include "app/FormMain.h"
#include "common/FakeServices.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

// A program folder for a test: the generated resources of the build copied beside a
// test's own edition file, and a fresh configuration folder.
class EditionTestDir {
public:
    explicit EditionTestDir(const QString& editionText) {
        CopyTree(QStringLiteral(MEDIAWIZ_APP_DIR "/sounds"), exe_.filePath("sounds"));
        CopyTree(QStringLiteral(MEDIAWIZ_APP_DIR "/formats"), exe_.filePath("formats"));
        QFile file(exe_.filePath(kEditionFileName));
        file.open(QIODevice::WriteOnly);
        file.write(editionText.toUtf8());
        QDir().mkpath(ConfigDir());
        qputenv("XDG_CONFIG_HOME", ConfigDir().toLocal8Bit());
    }

    std::string ExeDir() const { return (exe_.path() + "/").toStdString(); }
    QString ResourceFile(const QString& name) const { return exe_.filePath("sounds/res/" + name); }
    QString ConfigDir() const { return config_.path() + "/config"; }

private:
    static void CopyTree(const QString& from, const QString& to) {
        QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString source = it.next();
            const QString target = to + source.mid(from.size());
            QDir().mkpath(QFileInfo(target).path());
            QFile::copy(source, target);
        }
    }

    QTemporaryDir exe_;
    QTemporaryDir config_;
};

// An edition text: [SYSTEM] plus the given lines.
inline QString Edition(const QString& lines) {
    return QStringLiteral("[SYSTEM]\n") + lines;
}

// A main window built from an edition folder, with fake services.
struct FormUnderTest {
    explicit FormUnderTest(const QString& editionText) : dir(editionText) {
        StartEdition(dir.ExeDir());
        form = std::make_unique<TFormMain>(vars, services.Bundle(), dir.ExeDir());
    }

    EditionTestDir dir;
    TGlobalVars vars;
    FakeServices services;
    std::unique_ptr<TFormMain> form;
};
