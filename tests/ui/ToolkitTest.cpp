#include "ui/ImageButton.h"
#include "ui/PageControl.h"
#include "ui/SkinForm.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

QPixmap Filled(QSize size, QColor color) {
    QPixmap pixmap(size);
    pixmap.fill(color);
    return pixmap;
}

QColor CentreColour(QWidget& widget) {
    return widget.grab().toImage().pixelColor(widget.width() / 2, 2);
}

void SendMouse(QWidget* target, QEvent::Type type, QPoint global) {
    QMouseEvent event(type, target->mapFromGlobal(QPointF(global)), QPointF(global), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace

TEST(ImageButton, ShowsThePictureOfItsState) {
    TImageButton button;
    button.SetPictures(Filled({90, 28}, Qt::red), Filled({90, 28}, Qt::green), Filled({90, 28}, Qt::blue),
                       Filled({90, 28}, Qt::gray));
    EXPECT_EQ(button.size(), QSize(90, 28));
    EXPECT_EQ(button.State(), TImageButton::bsNormal);
    EXPECT_EQ(CentreColour(button), QColor(Qt::red));

    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&button, &enter);
    EXPECT_EQ(button.State(), TImageButton::bsMouseOver);
    EXPECT_EQ(CentreColour(button), QColor(Qt::green));

    button.setDown(true);
    EXPECT_EQ(button.State(), TImageButton::bsPressed);
    EXPECT_EQ(CentreColour(button), QColor(Qt::blue));
    button.setDown(false);

    button.setEnabled(false);
    EXPECT_EQ(button.State(), TImageButton::bsDisabled);
    EXPECT_EQ(CentreColour(button), QColor(Qt::gray));
    button.setEnabled(true);

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &leave);
    EXPECT_EQ(button.State(), TImageButton::bsNormal);

    // A checked (chosen) button shows its pressed picture.
    button.setCheckable(true);
    button.setChecked(true);
    EXPECT_EQ(CentreColour(button), QColor(Qt::blue));
}

TEST(ImageButton, MissingStatePicturesFallBackAndTransparentModeDrawsOnlyText) {
    TImageButton button;
    button.SetPictures(Filled({40, 20}, Qt::red), QPixmap(), QPixmap());
    button.setEnabled(false);
    EXPECT_EQ(CentreColour(button), QColor(Qt::red));

    TImageButton transparent;
    transparent.SetPictures(Filled({40, 20}, Qt::red), QPixmap(), QPixmap());
    transparent.SetTransparent(true);
    transparent.setText("Next");
    const QImage image = transparent.grab().toImage();
    EXPECT_NE(image.pixelColor(1, 1), QColor(Qt::red));
    bool white = false;
    for (int y = 0; y < image.height() && !white; ++y)
        for (int x = 0; x < image.width() && !white; ++x)
            white = image.pixelColor(x, y).lightness() > 200 && image.pixelColor(x, y).alpha() > 0;
    EXPECT_TRUE(white) << "no white caption";

    // On a light skin the white caption keeps a dark edge, or it cannot be read.
    QWidget light;
    light.setStyleSheet("background: rgb(230, 236, 240)");
    light.resize(80, 30);
    transparent.setParent(&light);
    transparent.setGeometry(0, 0, 80, 30);
    light.setAutoFillBackground(true);
    const QImage onLight = light.grab().toImage();
    bool dark = false;
    for (int y = 0; y < onLight.height() && !dark; ++y)
        for (int x = 0; x < onLight.width() && !dark; ++x)
            dark = onLight.pixelColor(x, y).lightness() < 120;
    EXPECT_TRUE(dark) << "white caption without an edge on a light skin";
    transparent.setParent(nullptr);
}

// The format page marks its choice by disabling the chosen button: that must show whether
// or not the button has a disabled picture, and with no pictures at all.
TEST(ImageButton, AChosenButtonLooksChosenAndAVisitedOneComesBackPlain) {
    TImageButton pictured;
    pictured.SetPictures(Filled({40, 20}, Qt::red), Filled({40, 20}, Qt::green), Filled({40, 20}, Qt::blue));
    pictured.setCheckable(true);
    pictured.setChecked(true);
    pictured.setEnabled(false);
    EXPECT_EQ(CentreColour(pictured), QColor(Qt::blue)) << "chosen, no disabled picture";

    // Lit under the mouse, disabled by its click, enabled again after the mouse left.
    TImageButton visited;
    visited.SetPictures(Filled({40, 20}, Qt::red), Filled({40, 20}, Qt::green), Filled({40, 20}, Qt::blue));
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&visited, &enter);
    visited.setEnabled(false);
    visited.setEnabled(true);
    EXPECT_EQ(CentreColour(visited), QColor(Qt::red));

    TImageButton chosen, other;
    for (TImageButton* plain : {&chosen, &other}) {
        plain->resize(120, 30);
        plain->setText("Video");
        plain->setCheckable(true);
    }
    chosen.setChecked(true);
    chosen.setEnabled(false);
    const QColor chosenFill = chosen.grab().toImage().pixelColor(8, 15);
    const QColor otherFill = other.grab().toImage().pixelColor(8, 15);
    EXPECT_LT(chosenFill.lightness(), otherFill.lightness() - 60) << "the current class is not greyed out";
}

TEST(ImageButton, KeyboardFocusShowsARingAndAClickTakesNoFocus) {
    QWidget window;
    auto* first = new TImageButton(&window);
    auto* second = new TImageButton(&window);
    for (TImageButton* button : {first, second})
        button->SetPictures(Filled({60, 24}, Qt::white), QPixmap(), QPixmap());
    second->move(0, 30);
    window.show();
    window.activateWindow();
    QApplication::processEvents();
    const QImage before = second->grab().toImage();
    EXPECT_EQ(second->focusPolicy(), Qt::TabFocus);
    second->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(second->hasFocus());
    EXPECT_NE(second->grab().toImage(), before) << "focus is not shown";
    second->clearFocus();
    EXPECT_EQ(second->grab().toImage(), before);
}

TEST(SkinForm, TakesItsShapeAndSizeFromThePicture) {
    QWidget form;
    TSkinForm skin(&form);
    QPixmap picture = Filled({120, 80}, QColor(10, 20, 30));
    {
        QPainter painter(&picture);
        painter.fillRect(0, 0, 10, 10, QColor(255, 0, 255));
    }
    skin.SetPicture(picture);
    EXPECT_NE(form.size(), QSize(120, 80)); // applied only with the transparent colour
    skin.SetTransparentColor(QColor(255, 0, 255));
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form.size(), QSize(120, 80));
    EXPECT_FALSE(form.mask().contains(QPoint(5, 5)));
    EXPECT_TRUE(form.mask().contains(QPoint(15, 5)));
    EXPECT_TRUE(form.mask().contains(QPoint(119, 79)));
    EXPECT_EQ(form.grab().toImage().pixelColor(60, 40), QColor(10, 20, 30));
}

TEST(SkinForm, DraggingTheBackgroundOrAHandleMovesTheWindow) {
    QWidget form;
    TSkinForm skin(&form);
    auto* logo = new QWidget(&form);
    logo->setGeometry(10, 10, 30, 30);
    skin.AddDragHandle(logo);
    form.move(100, 100);
    form.show();

    const QPoint start = logo->mapToGlobal(QPoint(5, 5));
    SendMouse(logo, QEvent::MouseButtonPress, start);
    SendMouse(logo, QEvent::MouseMove, start + QPoint(40, 25));
    SendMouse(logo, QEvent::MouseButtonRelease, start + QPoint(40, 25));
    EXPECT_EQ(form.pos(), QPoint(140, 125));

    const QPoint background = form.mapToGlobal(QPoint(80, 80));
    SendMouse(&form, QEvent::MouseButtonPress, background);
    SendMouse(&form, QEvent::MouseMove, background + QPoint(-30, 5));
    SendMouse(&form, QEvent::MouseButtonRelease, background + QPoint(-30, 5));
    EXPECT_EQ(form.pos(), QPoint(110, 130));
    // Moving without a pressed button does nothing.
    SendMouse(&form, QEvent::MouseMove, background + QPoint(50, 50));
    EXPECT_EQ(form.pos(), QPoint(110, 130));
}

// A child that ignores a press passes it to the window; that is no grip on the background
// (after a link's dialog closed, the window followed the mouse until the next click).
TEST(SkinForm, APressPassedOnByAChildDoesNotDragTheWindow) {
    QWidget form;
    TSkinForm skin(&form);
    auto* label = new QLabel("Open folder", &form);
    label->setGeometry(50, 50, 80, 20);
    form.resize(200, 200);
    form.move(100, 100);
    form.show();

    const QPoint onLabel = label->mapToGlobal(QPoint(5, 5));
    SendMouse(label, QEvent::MouseButtonPress, onLabel); // a QLabel ignores it: it reaches the form
    SendMouse(&form, QEvent::MouseMove, onLabel + QPoint(60, 40));
    SendMouse(&form, QEvent::MouseButtonRelease, onLabel + QPoint(60, 40));
    EXPECT_EQ(form.pos(), QPoint(100, 100));
}

TEST(PageControl, PagesFillTheControlAndChangeUnderProgramControl) {
    TPageControl control;
    QWidget* first = control.AddPage(new QWidget, "One");
    QWidget* second = control.AddPage(new QWidget, "Two");
    control.SetBounds(5, 6, 527, 240);
    EXPECT_EQ(first->width(), 525);
    EXPECT_EQ(second->size(), control.PageSize());
    const int withTabs = control.PageSize().height();
    control.SetTabsVisible(false);
    EXPECT_EQ(control.PageSize(), QSize(525, 238));
    EXPECT_GT(control.PageSize().height(), withTabs);
    EXPECT_EQ(second->size(), QSize(525, 238));

    QSignalSpy changed(&control, &TPageControl::currentChanged);
    control.setCurrentWidget(second);
    EXPECT_EQ(control.currentWidget(), second);
    EXPECT_EQ(control.currentIndex(), 1);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toInt(), 1);
    EXPECT_EQ(control.indexOf(first), 0);
}
