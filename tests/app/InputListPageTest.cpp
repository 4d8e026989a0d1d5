// The input list in the window: probing, refusing, dropping, and the row commands.

#include "ConvertWindow.h"
#include "GalleryShot.h"
#include "convert/BusyCursor.h"
#include "convert/FailedAddFileDialog.h"
#include "convert/InputRowTexts.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>

namespace {

class InputList : public ConvertWindow {
protected:
    void SetUp() override { Start(); }

    QString WriteFile(const QString& name, const QByteArray& bytes) const {
        const QString path = QDir(scratch).filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return path;
    }

    // Rows with only a path, for the list commands.
    void AddBareRows(int count) {
        for (int i = 0; i < count; ++i) {
            const int row = grid->rowCount();
            grid->insertRow(row);
            grid->setItem(row, NxTextColumnFileFullName,
                          new QTableWidgetItem(QStringLiteral("/media/%1.avi").arg(row)));
        }
    }
    // The action list updates its actions when the window is idle.
    static void Idle() { QCoreApplication::processEvents(); }
    QStringList Paths() const {
        QStringList paths;
        for (int row = 0; row < grid->rowCount(); ++row)
            paths << Cell(row, NxTextColumnFileFullName);
        return paths;
    }
};

TEST_F(InputList, FiveFilesOfWhichTwoAreBrokenGiveThreeRowsAndTheDialog) {
    const QString broken1 = WriteFile("notes.mp4", "this is no media file");
    const QString broken2 = WriteFile("empty.avi", "");
    QStringList shown;
    WhenModalOpens<TFormFailedAddFile>([&](TFormFailedAddFile* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Failed to Add Files");
        EXPECT_EQ(dialog->ListViewFiles->headerItem()->text(0), "File");
        for (int i = 0; i < dialog->ListViewFiles->topLevelItemCount(); ++i)
            shown << dialog->ListViewFiles->topLevelItem(i)->text(0);
        GalleryShot(dialog, "FailedAddFile");
        dialog->ButtonMoreInformation->click();
        dialog->ButtonClose->click();
    });
    form->InputListPage->AddFiles(
        {Fixture("av.mp4"), broken1, Fixture("audio.mp3"), broken2, Fixture("av.mkv")});

    ASSERT_EQ(grid->rowCount(), 3);
    EXPECT_EQ(Paths(), QStringList({Fixture("av.mp4"), Fixture("audio.mp3"), Fixture("av.mkv")}));
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(vars->FailedFiles, shown);
    for (const QString& message : shown)
        EXPECT_TRUE(LogLines().contains("File load error: " + message)) << message.toStdString();
    EXPECT_TRUE(shown[0].contains("notes.mp4")) << shown[0].toStdString();

    // The video row: middle-frame thumbnail and the video texts.
    const QPixmap thumbnail =
        grid->item(0, NxGraphicColumnMainImage)->data(Qt::DecorationRole).value<QPixmap>();
    EXPECT_FALSE(thumbnail.isNull());
    EXPECT_LE(thumbnail.width(), 128);
    EXPECT_LE(thumbnail.height(), 88);
    EXPECT_EQ(Cell(0, NxTextColumnDuration), "Duration: 00:00:03.000");
    EXPECT_TRUE(Cell(0, NxTextColumnBitrate).startsWith("Bit rate: "));
    EXPECT_EQ(Cell(0, NxTextColumnDimension), "Dimension: 320 x 240");
    EXPECT_TRUE(Cell(0, NxTextColumnVideoEncoder).startsWith("Video encoder: h264"));
    EXPECT_EQ(Cell(0, NxTextColumnRealDuration), "3000000");
    EXPECT_EQ(Cell(0, NxTextColumnWidth), "320");
    EXPECT_EQ(Cell(0, NxTextColumnHeight), "240");
    EXPECT_EQ(Cell(2, NxTextColumnFrameRate), "Frame rate: 30.000000");
    EXPECT_EQ(grid->item(0, NxTextColumnFileMinName)->toolTip(), Fixture("av.mp4"));

    // The audio-only row: the built-in audio icon and the audio lines.
    const QImage icon =
        grid->item(1, NxGraphicColumnMainImage)->data(Qt::DecorationRole).value<QPixmap>().toImage();
    EXPECT_EQ(icon, form->InputListPage->ImageAudioIcon.toImage());
    EXPECT_TRUE(Cell(1, NxTextColumnBitrate).startsWith("Audio Bit rate: 1")) << Cell(1, 3).toStdString();
    EXPECT_TRUE(Cell(1, NxTextColumnDimension).startsWith("Audio Encoder: mp3"));

    // The next add starts with an empty failed list: no dialog, the same file twice.
    form->InputListPage->AddFiles({Fixture("audio.mp3"), Fixture("audio.mp3")});
    EXPECT_EQ(grid->rowCount(), 5);
    EXPECT_TRUE(vars->FailedFiles.isEmpty());

    form->show();
    GalleryShot(form, "InputList");
}

TEST_F(InputList, OpenDialogOffersTheFourFiltersAndRemembersTheFolder) {
    vars->LastOpenDir = "/start/here";
    fut->services.Dialogs.OpenNames.push_back({Fixture("audio.wav")});
    wizard->ActionAdd->trigger();
    ASSERT_EQ(fut->services.Dialogs.FileRequests.size(), 1u);
    const TFileDialogRequest& request = fut->services.Dialogs.FileRequests[0];
    EXPECT_EQ(request.Folder, "/start/here");
    const QStringList filters = request.Filter.split(";;");
    ASSERT_EQ(filters.size(), 4);
    EXPECT_TRUE(filters[0].startsWith("All Supported Formats (*.AVI *.avi *.AVM"));
    EXPECT_TRUE(filters[0].contains("*.MPEG *.mpeg"));
    EXPECT_TRUE(filters[1].startsWith("All Video Formats (all types) ("));
    EXPECT_TRUE(filters[2].startsWith("All Audio Formats (all types) (*.MP3"));
    EXPECT_EQ(filters[3], "All Files (*.*)");
    EXPECT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(vars->LastOpenDir, QString::fromStdString(Fixtures::Folder()));
    EXPECT_EQ(BusyCursor::Depth(), 0);
}

TEST_F(InputList, DropsKeepMediaFilesByExtensionOnly) {
    // MPEG is not among the dropped extensions, whatever its letter case.
    const QString mpeg = QDir(scratch).filePath("clip.MPEG");
    QFile::copy(Fixture("av.ts"), mpeg);
    const QString folder = QDir(scratch).filePath("folder.mp4");
    QDir().mkpath(folder);
    const QString upper = QDir(scratch).filePath("LOUD.WAV");
    QFile::copy(Fixture("audio.wav"), upper);

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(mpeg), QUrl::fromLocalFile(folder),
                  QUrl::fromLocalFile(Fixture("av.avi")),
                  QUrl::fromLocalFile(QDir(scratch).filePath("readme.txt")), QUrl::fromLocalFile(upper)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form, &drop);
    EXPECT_EQ(Paths(), QStringList({Fixture("av.avi"), upper}));
    EXPECT_EQ(BusyCursor::Depth(), 0);

    // The same MPEG file comes in through the add operation.
    form->InputListPage->AddFiles({mpeg});
    EXPECT_EQ(grid->rowCount(), 3);
}

TEST_F(InputList, ThePageShowsItsCommandsAsButtonsThatFollowTheirActions) {
    const TInputPageWidgets& input = pages->Input;
    const std::pair<QPushButton*, QAction*> commands[] = {
        {input.ButtonAdd, wizard->ActionAdd},           {input.ButtonDelete, wizard->ActionDelete},
        {input.ButtonClear, wizard->ActionClear},       {input.ButtonMoveUp, wizard->ActionMoveUp},
        {input.ButtonMoveDown, wizard->ActionMoveDown}, {input.ButtonPlay, wizard->ActionPlay}};
    for (auto [button, action] : commands) {
        ASSERT_NE(button, nullptr);
        EXPECT_TRUE(button->isVisibleTo(form->TabSheetStep1)) << qPrintable(action->text());
        EXPECT_EQ(button->text(), action->text());
        EXPECT_LE(button->sizeHint().width(), button->width()) << qPrintable(action->text()) << " is clipped";
        EXPECT_TRUE(form->TabSheetStep1->rect().contains(button->geometry())) << qPrintable(action->text());
        EXPECT_FALSE(button->geometry().intersects(grid->geometry())) << qPrintable(action->text());
    }

    AddBareRows(3);
    Idle();
    grid->selectRow(0);
    Idle();
    EXPECT_TRUE(input.ButtonAdd->isEnabled());
    EXPECT_TRUE(input.ButtonDelete->isEnabled());
    EXPECT_TRUE(input.ButtonClear->isEnabled());
    EXPECT_FALSE(input.ButtonMoveUp->isEnabled());
    EXPECT_TRUE(input.ButtonMoveDown->isEnabled());
    input.ButtonMoveDown->click();
    Idle();
    EXPECT_EQ(Paths(), QStringList({"/media/1.avi", "/media/0.avi", "/media/2.avi"}));
    EXPECT_TRUE(input.ButtonMoveUp->isEnabled());
    input.ButtonPlay->click();
    EXPECT_EQ(fut->services.Shell.Opened, QStringList({"/media/0.avi"}));
    input.ButtonDelete->click();
    Idle();
    EXPECT_EQ(grid->rowCount(), 2);
    input.ButtonClear->click();
    Idle();
    EXPECT_EQ(grid->rowCount(), 0);
    EXPECT_FALSE(input.ButtonClear->isEnabled());
    EXPECT_FALSE(input.ButtonPlay->isEnabled());
    const size_t asked = fut->services.Dialogs.FileRequests.size();
    input.ButtonAdd->click();
    EXPECT_EQ(fut->services.Dialogs.FileRequests.size(), asked + 1) << "Add Video... opens the file dialog";
}

TEST_F(InputList, PlayWithNoProgramToOpenTheFileSaysSoInAMessageBox) {
    AddBareRows(1);
    grid->selectRow(0);
    Idle();
    fut->services.Shell.Fails = true;
    const size_t shown = fut->services.Dialogs.Shown.size();
    wizard->ActionPlay->trigger();
    ASSERT_EQ(fut->services.Dialogs.Shown.size(), shown + 1);
    const TMessageRequest& box = fut->services.Dialogs.Shown.back();
    EXPECT_EQ(box.Kind, TMsgDlgType::mtError);
    EXPECT_EQ(box.Message, "Cannot open \"/media/0.avi\": no program is set up to open it.");
    fut->services.Shell.Fails = false;
    wizard->ActionPlay->trigger();
    EXPECT_EQ(fut->services.Dialogs.Shown.size(), shown + 1) << "an opened file needs no box";
}

TEST_F(InputList, DeleteMoveAndPlayKeepTheSelectionWhereItBelongs) {
    AddBareRows(3);
    Idle();
    grid->selectRow(1);
    Idle();
    EXPECT_TRUE(wizard->ActionMoveUp->isEnabled());
    EXPECT_TRUE(wizard->ActionMoveDown->isEnabled());

    wizard->ActionMoveUp->trigger();
    Idle();
    EXPECT_EQ(Paths(), QStringList({"/media/1.avi", "/media/0.avi", "/media/2.avi"}));
    EXPECT_EQ(grid->SelectedRow(), 0);
    EXPECT_FALSE(wizard->ActionMoveUp->isEnabled());
    wizard->ActionMoveDown->trigger();
    Idle();
    wizard->ActionMoveDown->trigger();
    Idle();
    EXPECT_EQ(Paths(), QStringList({"/media/0.avi", "/media/2.avi", "/media/1.avi"}));
    EXPECT_EQ(grid->SelectedRow(), 2);
    EXPECT_FALSE(wizard->ActionMoveDown->isEnabled());

    wizard->ActionPlay->trigger();
    EXPECT_EQ(fut->services.Shell.Opened, QStringList({"/media/1.avi"}));
    emit grid->cellDoubleClicked(0, 0);
    EXPECT_EQ(fut->services.Shell.Opened.last(), "/media/1.avi") << "double-click plays the selected row";

    // Deleting the last row selects the new last one; the middle keeps its index.
    wizard->ActionDelete->trigger();
    Idle();
    EXPECT_EQ(Paths(), QStringList({"/media/0.avi", "/media/2.avi"}));
    EXPECT_EQ(grid->SelectedRow(), 1);
    grid->selectRow(0);
    Idle();
    wizard->ActionDelete->trigger();
    Idle();
    EXPECT_EQ(Paths(), QStringList({"/media/2.avi"}));
    EXPECT_EQ(grid->SelectedRow(), 0);
    wizard->ActionDelete->trigger();
    Idle();
    EXPECT_EQ(grid->rowCount(), 0);
    EXPECT_EQ(grid->SelectedRow(), -1);
    EXPECT_FALSE(wizard->ActionDelete->isEnabled());
    EXPECT_FALSE(wizard->ActionPlay->isEnabled());

    AddBareRows(2);
    Idle();
    wizard->ActionClear->trigger();
    Idle();
    EXPECT_EQ(grid->rowCount(), 0);

    const QList<QAction*> menu = form->InputListPage->PopupMenuNextGrid->actions();
    ASSERT_EQ(menu.size(), 8);
    EXPECT_EQ(menu[0], wizard->ActionAdd);
    EXPECT_TRUE(menu[3]->isSeparator());
    EXPECT_EQ(menu[7], wizard->ActionPlay);
}

} // namespace
