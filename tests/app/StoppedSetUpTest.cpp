// A set-up that stops early must never leave a process without a window: the log
// window shows the reason, and closing it ends the program with a non-zero code.

#include "app/StoppedSetUp.h"

#include "EditionTestDir.h"
#include "app/FormLog.h"

#include <QDirIterator>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

void Damage(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(path);
    file.write("not what it should be");
}

// The built program's folder, copied whole so one of its files can be broken.
class ProgramCopy {
public:
    ProgramCopy() {
        const QString from = QStringLiteral(MEDIAWIZ_APP_DIR);
        QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString source = it.next();
            if (source.contains(QStringLiteral("/CMakeFiles/")) ||
                source.contains(QStringLiteral("_autogen/")))
                continue;
            const QString target = dir_.path() + source.mid(from.size());
            QDir().mkpath(QFileInfo(target).path());
            QFile::copy(source, target);
        }
        QFile::setPermissions(Path("mediawiz"), QFile::permissions(Path("mediawiz")) | QFile::ExeOwner);
    }
    QString Path(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

struct TRunOutcome {
    bool Exited = false;
    int ExitCode = 0;
    QString Errors; // standard error
};

// Starts the program offscreen until it has written `reason` or ended; a program that
// is still running then is showing its window, and is ended here.
TRunOutcome RunUntil(const ProgramCopy& program, const QString& reason) {
    QTemporaryDir config;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    env.insert(QStringLiteral("HOME"), config.path());
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    process.setProcessEnvironment(env);
    process.start(program.Path("mediawiz"), {});
    EXPECT_TRUE(process.waitForStarted());
    TRunOutcome outcome;
    for (int waited = 0; waited < 120 && !outcome.Errors.contains(reason); ++waited) {
        if (process.waitForFinished(500)) {
            outcome.Exited = true;
            break;
        }
        outcome.Errors += QString::fromLocal8Bit(process.readAllStandardError());
    }
    outcome.Errors += QString::fromLocal8Bit(process.readAllStandardError());
    if (outcome.Exited)
        outcome.ExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    else {
        process.kill();
        process.waitForFinished();
    }
    return outcome;
}

} // namespace

TEST(StoppedSetUp, TheRealProgramOnABrokenFolderTellsWhyAndNeverEndsSilently) {
    struct Case {
        const char* Broken;
        const char* Reason;
    };
    // A damaged skin picture, and a media library that cannot be loaded.
    const Case cases[] = {
        {"sounds/res/main.bmp", "main.bmp"},
        {"lib/libavcodec.so.59", "libavcodec"},
    };
    for (const Case& c : cases) {
        ProgramCopy program;
        Damage(program.Path(QString::fromLatin1(c.Broken)));
        const TRunOutcome outcome = RunUntil(program, QString::fromLatin1(c.Reason));
        EXPECT_TRUE(outcome.Errors.contains(QString::fromLatin1(c.Reason)))
            << c.Broken << ": " << qPrintable(outcome.Errors);
        if (outcome.Exited) {
            EXPECT_NE(outcome.ExitCode, 0) << c.Broken;
        }
    }
}

// In the process, the window's side: the log is shown with the reason; closing it ends.
// (The media libraries are loaded once per process, so a damaged picture stops it here.)
TEST(StoppedSetUp, TheLogWindowShowsTheReasonAndClosingItEndsTheProgramWithOne) {
    FormUnderTest t(Edition(QStringLiteral("Name=Stopped Edition\n")));
    Damage(t.dir.ResourceFile(QStringLiteral("main.bmp")));
    TFormLog log(t.services.Bundle());
    AttachLogWindow(*t.form, log);
    ASSERT_FALSE(t.form->FormCreate());

    bool visible = false;
    QString title, text;
    QTimer::singleShot(0, &log, [&] {
        visible = log.isVisible();
        title = log.windowTitle();
        text = log.MemoLog->toPlainText();
        log.ButtonOK->click();
    });
    EXPECT_EQ(RunStoppedSetUp(log), 1);
    EXPECT_TRUE(visible);
    EXPECT_EQ(title, QStringLiteral("Stopped Edition - Log"));
    EXPECT_TRUE(text.contains(QLatin1String("main.bmp"))) << qPrintable(text);
    EXPECT_FALSE(log.isVisible());
    EXPECT_TRUE(QDir(t.dir.ConfigDir()).isEmpty()) << "settings written before their folder was known";
}
