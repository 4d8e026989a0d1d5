// The desktop opener is asked without the window waiting for it; a fake xdg-open on PATH
// plays the desktop.

#include "app/DesktopShell.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class DesktopShellTest : public ::testing::Test {
protected:
    // An xdg-open that writes its argument down, then runs body.
    void Opener(const QByteArray& body) {
        QFile script(bin.filePath("xdg-open"));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s' \"$1\" > \"$(dirname \"$0\")/asked\"\n" + body + "\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", bin.path().toUtf8() + ":" + savedPath);
    }
    void TearDown() override { qputenv("PATH", savedPath); }
    QString Asked() const {
        QFile file(bin.filePath("asked"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QTemporaryDir bin;
    QByteArray savedPath = qgetenv("PATH");
    TDesktopShell shell;
};

TEST_F(DesktopShellTest, ASlowRefusalComesBackLaterWithoutHoldingTheWindow) {
    Opener("sleep 1; exit 3");
    int failures = 0;
    QElapsedTimer call;
    call.start();
    shell.OpenWithShell("/media/clip.avi", [&] { ++failures; });
    EXPECT_LT(call.elapsed(), 500) << "the window waited for the opener";
    EXPECT_EQ(failures, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return failures == 1; }, 10000));
    EXPECT_EQ(Asked(), "file:///media/clip.avi");
}

TEST_F(DesktopShellTest, AnOpenerThatSucceedsOrIsStillRunningIsNoFailure) {
    Opener("exit 0");
    int failures = 0;
    shell.OpenWithShell("http://127.0.0.1:9/help", [&] { ++failures; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Asked().isEmpty(); }, 10000));
    QTest::qWait(200);
    EXPECT_EQ(Asked(), "http://127.0.0.1:9/help");
    EXPECT_EQ(failures, 0);

    // One that runs on past the answer time started a program; its later exit status is
    // that program's, not a refusal.
    Opener("sleep 4; exit 1");
    shell.OpenWithShell("/media/clip.avi", [&] { ++failures; });
    QTest::qWait(5000);
    EXPECT_EQ(failures, 0);
}

} // namespace
