#include "app/FormLog.h"

#include "GalleryShot.h"
#include "common/FakeServices.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class FormLogTest : public ::testing::Test {
protected:
    FakeServices fakes;
    TFormLog log{fakes.Bundle()};

    QStringList lines() const { return log.MemoLog->toPlainText().split('\n'); }
};

TEST_F(FormLogTest, EngineLineCarriesThreadIdAndLevelNumber) {
    log.AppendLogLine("File has been added to convert list.");
    log.FFLoggerLog(1234, "Invalid data", 3);
    EXPECT_EQ(lines(), (QStringList{"File has been added to convert list.", "#1234.3: Invalid data"}));
}

TEST_F(FormLogTest, DeleteLogAsksAndOnlyYesClearsAndDisablesSaveForGood) {
    log.AppendLogLine("one");
    log.AppendLogLine("two");

    fakes.Dialogs.Answers = {QMessageBox::No, QMessageBox::Cancel};
    log.ButtonDeleteClick();
    log.ButtonDeleteClick();
    EXPECT_EQ(lines(), (QStringList{"one", "two"}));
    EXPECT_TRUE(log.ButtonSave->isEnabled());

    ASSERT_EQ(fakes.Dialogs.Shown.size(), 2u);
    const TMessageRequest& asked = fakes.Dialogs.Shown[0];
    EXPECT_EQ(asked.Message, "Really delete log file?");
    EXPECT_EQ(asked.Caption, "Delete log?");
    EXPECT_EQ(asked.Kind, TMsgDlgType::mtConfirmation);
    EXPECT_EQ(asked.Buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(fakes.Sound.SystemSounds.front(), TSystemSound::Question);

    fakes.Dialogs.Answers = {QMessageBox::Yes};
    log.ButtonDeleteClick();
    EXPECT_TRUE(log.MemoLog->toPlainText().isEmpty());
    EXPECT_FALSE(log.ButtonSave->isEnabled());
    log.AppendLogLine("later");
    EXPECT_FALSE(log.ButtonSave->isEnabled());
}

TEST_F(FormLogTest, SaveWritesCrLfLinesAndReportsUnwritableFile) {
    QTemporaryDir dir;
    log.AppendLogLine("first");
    log.AppendLogLine("#1.3: second");

    const QString good = dir.filePath("run.log");
    fakes.Dialogs.SaveNames = {good};
    log.ButtonSaveClick();
    QFile saved(good);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("first\r\n#1.3: second\r\n"));
    ASSERT_EQ(fakes.Dialogs.FileRequests.size(), 1u);
    EXPECT_EQ(fakes.Dialogs.FileRequests[0].DefaultSuffix, "log");
    EXPECT_TRUE(fakes.Dialogs.Shown.empty());

    fakes.Dialogs.SaveNames = {dir.filePath("missing/folder/run.log")};
    log.ButtonSaveClick();
    ASSERT_EQ(fakes.Dialogs.Shown.size(), 1u);
    EXPECT_EQ(fakes.Dialogs.Shown[0].Kind, TMsgDlgType::mtError);
    EXPECT_EQ(lines(), (QStringList{"first", "#1.3: second"}));

    // Cancelling the dialog writes nothing and says nothing.
    log.ButtonSaveClick();
    EXPECT_EQ(fakes.Dialogs.Shown.size(), 1u);
}

TEST_F(FormLogTest, ButtonsStayCentredAsAGroupOnResize) {
    log.show();
    for (int width : {265, 455, 800, 1001}) {
        log.resize(width, 200);
        log.PanelBottomResize();
        const int panel = log.PanelBottom->width();
        const int left = log.ButtonOK->x();
        const int right = log.ButtonSave->x() + log.ButtonSave->width();
        const int group = right - left;
        EXPECT_EQ(left, panel / 2 - group / 2) << width;
        EXPECT_EQ(log.ButtonDelete->x(), log.ButtonOK->x() + log.ButtonOK->width() + 8);
        EXPECT_EQ(log.ButtonSave->x(), log.ButtonDelete->x() + log.ButtonDelete->width() + 8);
    }
    EXPECT_EQ(log.minimumSize(), QSize(265, 125));
    EXPECT_TRUE(log.windowFlags() & Qt::WindowStaysOnTopHint);
    log.resize(455, 182);
    log.AppendLogLine("#1234.3: Invalid data");
    GalleryShot(&log, "FormLog");
}

TEST_F(FormLogTest, ShowingAndHidingRestoreAndStorePlacement) {
    int loads = 0;
    int saves = 0;
    log.SetPlacementStore([&](QWidget*) { ++loads; }, [&](QWidget*) { ++saves; });
    log.show();
    log.show(); // already visible: only brought forward
    EXPECT_EQ(loads, 1);
    log.ButtonOK->click();
    EXPECT_FALSE(log.isVisible());
    EXPECT_EQ(saves, 1);
}

// Lines arrive while the window is hidden; shown, it reads from their start and shows
// the newest at the bottom.
TEST_F(FormLogTest, LongLinesShowFromTheirStartWithTheNewestInView) {
    log.resize(455, 182);
    for (int i = 0; i < 30; ++i)
        log.AppendLogLine(QStringLiteral("#1.3: line %1 ").arg(i) + QString(200, 'x'));
    log.show();
    QApplication::processEvents();
    EXPECT_EQ(log.MemoLog->horizontalScrollBar()->value(), 0);
    EXPECT_EQ(log.MemoLog->verticalScrollBar()->value(), log.MemoLog->verticalScrollBar()->maximum());
    log.AppendLogLine("#1.3: one more " + QString(200, 'y'));
    QApplication::processEvents();
    EXPECT_EQ(log.MemoLog->horizontalScrollBar()->value(), 0);
    EXPECT_EQ(log.MemoLog->verticalScrollBar()->value(), log.MemoLog->verticalScrollBar()->maximum());
}

} // namespace
