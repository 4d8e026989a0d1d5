#include "frontend/MessageDialog.h"

#include "GalleryShot.h"
#include "common/FakeServices.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Presses the button with the given caption on the message box once it is open.
void PressWhenOpen(const QString& caption, QStringList* seen, QMessageBox::Icon* icon) {
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        *icon = box->icon();
        GalleryShot(box, "MessageDialog");
        for (QAbstractButton* button : box->buttons())
            *seen << button->text();
        for (QAbstractButton* button : box->buttons())
            if (button->text() == caption)
                button->click();
    });
}

TEST(MessageDialog, CustomCaptionsReplaceTheButtonsInOrderAndEmptyOnesKeepTheirs) {
    QStringList seen;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    PressWhenOpen("&Retry later", &seen, &icon);
    TMessageRequest request{"Some files failed.",
                            "Wiz",
                            TMsgDlgType::mtWarning,
                            {"&Retry later", ""},
                            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel};
    EXPECT_EQ(RunMessageBox(nullptr, request), QMessageBox::Yes);
    seen.sort();
    EXPECT_EQ(seen, (QStringList{"&No", "&Retry later", "Cancel"}));
    EXPECT_EQ(icon, QMessageBox::Warning);
}

// A window manager's title bar holds an icon and three buttons beside the caption; a box sized
// for its short message alone had its caption cut to "Vantole... onverter".
TEST(MessageDialog, ShortMessageBoxIsWideEnoughForItsCaptionAndTheTitleButtons) {
    const QString caption = "Vantoleaf Video Converter - media wizard edition";
    int width = 0;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        width = box->width();
        box->buttons().first()->click();
    });
    RunMessageBox(nullptr, {"Are you sure to quit now?",
                            caption,
                            TMsgDlgType::mtConfirmation,
                            {},
                            QMessageBox::Yes | QMessageBox::No});
    QFont bold = QApplication::font();
    bold.setBold(true);
    EXPECT_GE(width, QFontMetrics(bold).horizontalAdvance(caption) + 100);
}

TEST(MessageDialog, EachKindPlaysItsSoundBeforeTheBoxShows) {
    FakeServices fakes;
    TServices services = fakes.Bundle();
    std::vector<size_t> soundsWhenShown;
    fakes.Dialogs.WhileShown = [&](const TMessageRequest&) {
        soundsWhenShown.push_back(fakes.Sound.SystemSounds.size());
    };
    const TMsgDlgType kinds[] = {TMsgDlgType::mtWarning, TMsgDlgType::mtError, TMsgDlgType::mtInformation,
                                 TMsgDlgType::mtConfirmation, TMsgDlgType::mtCustom};
    for (TMsgDlgType kind : kinds)
        ShowMessageDialog(services, nullptr, "text", "caption", kind, {}, QMessageBox::Ok);
    EXPECT_EQ(fakes.Sound.SystemSounds,
              (std::vector<TSystemSound>{TSystemSound::Exclamation, TSystemSound::Hand, TSystemSound::Default,
                                         TSystemSound::Question, TSystemSound::Default}));
    EXPECT_EQ(soundsWhenShown, (std::vector<size_t>{1, 2, 3, 4, 5}));

    fakes.Dialogs.Answers = {QMessageBox::Yes, QMessageBox::No};
    EXPECT_TRUE(Confirm(services, nullptr, "Go on?"));
    EXPECT_FALSE(Confirm(services, nullptr, "Go on?"));
    EXPECT_EQ(fakes.Dialogs.Shown.back().Buttons, QMessageBox::Yes | QMessageBox::No);
}

} // namespace
