#include "app/FormShutdown.h"

#include "GalleryShot.h"
#include "app/PowerAction.h"
#include "common/FakeServices.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Runs drive on the dialog once the modal countdown is open.
void WhenCountdownOpens(std::function<void(TFormShutdown*)> drive) {
    QTimer::singleShot(0, [drive] {
        auto* dialog = qobject_cast<TFormShutdown*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        drive(dialog);
    });
}

// What the end of a conversion run does when the shutdown option is on.
void OfferShutdown(QWidget* mainWindow, IPowerService& power) {
    if (ShowShutdownCountdown(mainWindow))
        PowerAction(power, TPowerKind::pkShutdown);
}

TEST(FormShutdownTest, CountsDownFromThirtyAndClosesOnTheTickAfterZero) {
    TFormShutdown dialog;
    EXPECT_EQ(dialog.LabelTimeOut->text(), "Time left: 30");
    EXPECT_EQ(dialog.TimerShutdown->interval(), 1000);
    EXPECT_TRUE(dialog.TimerShutdown->isActive());
    dialog.show();
    GalleryShot(&dialog, "FormShutdown");
    for (int tick = 1; tick <= 30; ++tick)
        dialog.TimerShutdownTimer();
    EXPECT_EQ(dialog.LabelTimeOut->text(), "Time left: 0");
    EXPECT_TRUE(dialog.isVisible());
    dialog.TimerShutdownTimer();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(FormShutdownTest, LeftAloneTheMachineIsSwitchedOffOnce) {
    FakePower power;
    QWidget mainWindow;
    mainWindow.setGeometry(100, 100, 772, 547);
    WhenCountdownOpens([](TFormShutdown* dialog) {
        EXPECT_TRUE(dialog->LabelShutdownDescription->text().startsWith("If you don't press cancel now, \n"));
        EXPECT_TRUE(dialog->LabelShutdownDescription->text().endsWith("\nwill shutdown Windows."));
        for (int tick = 0; tick < 31; ++tick)
            dialog->TimerShutdownTimer();
    });
    OfferShutdown(&mainWindow, power);
    ASSERT_EQ(power.Performed.size(), 1u);
    EXPECT_EQ(power.Performed[0], TPowerKind::pkShutdown);
    ASSERT_EQ(power.Privileges.size(), 2u);
    EXPECT_EQ(power.Privileges[0].Name, "SeShutdownPrivilege");
    EXPECT_TRUE(power.Privileges[0].Enable);
    EXPECT_FALSE(power.Privileges[1].Enable);
}

TEST(FormShutdownTest, CancelWithThreeSecondsLeftSwitchesNothingOff) {
    FakePower power;
    WhenCountdownOpens([](TFormShutdown* dialog) {
        for (int tick = 0; tick < 27; ++tick)
            dialog->TimerShutdownTimer();
        EXPECT_EQ(dialog->LabelTimeOut->text(), "Time left: 3");
        dialog->ButtonCancel->click();
    });
    OfferShutdown(nullptr, power);
    EXPECT_TRUE(power.Performed.empty());
    EXPECT_TRUE(power.Privileges.empty());
}

TEST(FormShutdownTest, RefusedPowerActionStillReleasesThePrivilege) {
    FakePower power;
    power.Succeeds = false;
    PowerAction(power, TPowerKind::pkReboot);
    ASSERT_EQ(power.Performed.size(), 1u);
    EXPECT_EQ(power.Performed[0], TPowerKind::pkReboot);
    ASSERT_EQ(power.Privileges.size(), 2u);
    EXPECT_FALSE(power.Privileges[1].Enable);
}

} // namespace
