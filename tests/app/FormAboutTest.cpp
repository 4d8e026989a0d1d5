#include "app/FormAbout.h"

#include "EditionTestDir.h"
#include "GalleryShot.h"
#include "app/LinksMenu.h"
#include "frontend/ClickLabel.h"
#include "ui/ImageButton.h"

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QString kLeafBox = Edition("Name=Leaf Box Free Sample Tool\nVersion=2.1\nCopyright=Leaf Works\n");

// Runs check on the about box once it is shown modally, then closes it.
void WhenAboutOpens(std::function<void(TFormAbout*)> check) {
    QTimer::singleShot(0, [check] {
        auto* about = qobject_cast<TFormAbout*>(QApplication::activeModalWidget());
        ASSERT_NE(about, nullptr);
        check(about);
        about->ButtonOK->click();
    });
}

TEST(FormAbout, ShowsTitleVersionHolderAndTheEditionsAddresses) {
    FormUnderTest fut(kLeafBox);
    TFormAbout about(fut.services.Bundle(), fut.dir.ExeDir());
    ASSERT_EQ(about.FormCreate(), std::nullopt);
    EXPECT_EQ(about.windowTitle(), "About ");
    EXPECT_EQ(about.LabalTitle->text(), "Leaf Box Free Sample Tool 2.1");
    EXPECT_EQ(about.LabelVersion->text(), "2.1");
    const QString year = QString::number(QDate::currentDate().year());
    EXPECT_TRUE(about.LabelCopyright->text().contains(year + " Leaf Works"))
        << about.LabelCopyright->text().toStdString();
    EXPECT_EQ(about.LabelWeb->text(), "https://www.vantoleaf.example/leaf-box/");
    EXPECT_EQ(about.LabelSupportEmail->text(),
              "https://www.vantoleaf.example/leaf-box/sampletool/help/Support.html");
    EXPECT_FALSE(about.PanelmageLeft->isHidden());
    EXPECT_FALSE(about.ImageLeft->pixmap().isNull());
    EXPECT_GE(about.width(), 535);
    // Every line shows whole at the system's font, on both pages.
    for (QLabel* label : about.PageControlMain->findChildren<QLabel*>()) {
        if (label->wordWrap())
            continue;
        EXPECT_LE(label->sizeHint().width(), label->width()) << qPrintable(label->text());
        EXPECT_LE(label->geometry().right(), label->parentWidget()->width()) << qPrintable(label->text());
    }
    const int tabsRight = about.PageControlMain->x() + about.PageControlMain->width();
    EXPECT_EQ(about.ButtonOK->x() + about.ButtonOK->width(), tabsRight + 1);
    EXPECT_LE(tabsRight, about.width());
    GalleryShot(&about, "FormAbout");
    about.PageControlMain->setCurrentIndex(1);
    GalleryShot(&about, "FormAbout-Update");

    about.LabelWeb->clicked();
    about.LabelSupportEmail->clicked();
    about.ButtonUpdates->click();
    about.ImageLeft->clicked();
    EXPECT_EQ(fut.services.Shell.Opened,
              (QStringList{"https://www.vantoleaf.example/leaf-box/",
                           "https://www.vantoleaf.example/leaf-box/sampletool/help/Support.html",
                           "https://www.vantoleaf.example/leaf-box/sampletool/help/CheckForUpdates.html",
                           "https://www.vantoleaf.example/leaf-box/sampletool/help/CheckForUpdates.html"}));
}

TEST(FormAbout, SkinThreeDropsTheImageAndNarrowsTheBox) {
    FormUnderTest fut(Edition("Name=X\nVersion=2.1\nSkin=3\n"));
    TFormAbout about(fut.services.Bundle(), fut.dir.ExeDir());
    ASSERT_EQ(about.FormCreate(), std::nullopt);
    EXPECT_TRUE(about.PanelmageLeft->isHidden());
    EXPECT_EQ(about.PageControlMain->x(), 10);
    const int tabsRight = about.PageControlMain->x() + about.PageControlMain->width();
    EXPECT_EQ(about.width(), tabsRight + 15);
    EXPECT_EQ(about.ButtonOK->x() + about.ButtonOK->width(), tabsRight);
    EXPECT_EQ(about.LabalTitle->text(), "X 2.1");
    // A title with no addresses shows empty links.
    EXPECT_EQ(about.LabelWeb->text(), "");
    GalleryShot(&about, "FormAbout-Skin3");
}

TEST(FormAbout, BadSkinOrMissingLogoStopsTheSetUpWithTheErrorBox) {
    FormUnderTest fut(Edition("Name=X\nSkin=two\n"));
    ShowAboutBox(fut.services.Bundle(), fut.dir.ExeDir(), fut.form.get());
    ASSERT_EQ(fut.services.Dialogs.Shown.size(), 1u);
    EXPECT_EQ(fut.services.Dialogs.Shown[0].Kind, TMsgDlgType::mtError);
    EXPECT_TRUE(fut.services.Dialogs.Shown[0].Message.contains("two"));

    // The box reads the edition file afresh each time it opens.
    QFile edition(QString::fromStdString(fut.dir.ExeDir()) + "lame.dll");
    ASSERT_TRUE(edition.open(QIODevice::WriteOnly | QIODevice::Truncate));
    edition.write("[SYSTEM]\nName=X\nRes=missing\n");
    edition.close();
    ShowAboutBox(fut.services.Bundle(), fut.dir.ExeDir(), fut.form.get());
    ASSERT_EQ(fut.services.Dialogs.Shown.size(), 2u);
    EXPECT_TRUE(fut.services.Dialogs.Shown[1].Message.contains("leftlogo.png"));
}

TEST(HelpMenu, LinksOpenTheEditionsAddressesAndAboutIsCentred) {
    FormUnderTest fut(Edition("Name=Vantoleaf Video Converter\nVersion=1.0\nSkin=2\n"));
    ASSERT_TRUE(fut.form->FormCreate());
    TFormMain& form = *fut.form;
    TLinksMenu& menu = *form.LinksMenu;
    form.move(40, 30);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));

    // F1 from any widget of the window opens the help content.
    QTest::keyClick(form.ButtonNext, Qt::Key_F1);
    ASSERT_EQ(fut.services.Shell.Opened.size(), 1);
    EXPECT_EQ(fut.services.Shell.Opened[0],
              "https://www.vantoleaf.example/video-converter/help/content.html");

    // The menu pops up right under the button, shifted by the layout's offset (5 in layout 2).
    const QPoint expected =
        form.mapToGlobal(QPoint(form.ButtonHelp->x() + 5, form.ButtonHelp->y() + form.ButtonHelp->height()));
    EXPECT_EQ(menu.HelpMenuPosition(), expected);
    form.ButtonHelp->click();
    EXPECT_TRUE(menu.PopupMenuHelp->isVisible());
    GalleryShot(menu.PopupMenuHelp, "HelpMenu");
    QStringList items;
    for (QAction* action : menu.PopupMenuHelp->actions())
        items << (action->isSeparator() ? "-" : action->text());
    EXPECT_EQ(items, (QStringList{"Help Content", "How Tos && Tutorial Videos...", "-", "Home Page...",
                                  "More Tools...", "-", "Check for Updates...",
                                  "Contact Technical Support...", "-", "About"}));
    menu.PopupMenuHelp->close();

    menu.PopupMenuHelp->actions()[3]->trigger(); // Home Page...
    form.ActionMoreFreeTools->trigger();
    QTest::mouseClick(form.LabelMoreTools, Qt::LeftButton);
    menu.ActionCheckforUpdates->trigger();
    menu.ActionContactTechnicalSupport->trigger();
    EXPECT_EQ(
        fut.services.Shell.Opened.mid(1),
        (QStringList{"https://www.vantoleaf.example/video-converter/",
                     "https://www.vantoleaf.example/tools.html", "https://www.vantoleaf.example/tools.html",
                     "https://www.vantoleaf.example/video-converter/updates.html",
                     "https://www.vantoleaf.example/support/video-converter.html"}));

    WhenAboutOpens([&form](TFormAbout* about) {
        const QRect main = form.geometry();
        EXPECT_EQ(about->x(), main.x() + (main.width() - about->width()) / 2);
        EXPECT_EQ(about->y(), main.y() + (main.height() - about->height()) / 2);
        EXPECT_EQ(about->LabalTitle->text(), "Vantoleaf Video Converter 1.0");
    });
    menu.ActionAbout->trigger();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
