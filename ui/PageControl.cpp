#include "ui/PageControl.h"

#include <QPainter>
#include <QStackedWidget>
#include <QTabBar>
#include <algorithm>

namespace {
constexpr int kFrame = 1;
}

TPageControl::TPageControl(QWidget* parent)
    : QWidget(parent), tabs_(new QTabBar(this)), pages_(new QStackedWidget(this)) {
    tabs_->setDrawBase(false);
    connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
        if (index >= 0 && index != pages_->currentIndex())
            pages_->setCurrentIndex(index);
    });
    connect(pages_, &QStackedWidget::currentChanged, this, [this](int index) {
        tabs_->setCurrentIndex(index);
        emit currentChanged(index);
    });
}

QWidget* TPageControl::AddPage(QWidget* page, const QString& caption) {
    tabs_->addTab(caption);
    pages_->addWidget(page);
    LayOutPages();
    return page;
}

void TPageControl::SetTabsVisible(bool visible) {
    tabsVisible_ = visible;
    LayOutPages();
}

void TPageControl::SetBounds(int left, int top, int width, int height) {
    setGeometry(left, top, width, height);
    LayOutPages();
}

QSize TPageControl::PageSize() const {
    const int tabHeight = tabsVisible_ ? tabs_->sizeHint().height() : 0;
    return QSize(std::max(0, width() - 2 * kFrame), std::max(0, height() - tabHeight - 2 * kFrame));
}

int TPageControl::count() const {
    return pages_->count();
}

int TPageControl::currentIndex() const {
    return pages_->currentIndex();
}

QWidget* TPageControl::currentWidget() const {
    return pages_->currentWidget();
}

QWidget* TPageControl::widget(int index) const {
    return pages_->widget(index);
}

int TPageControl::indexOf(QWidget* page) const {
    return pages_->indexOf(page);
}

void TPageControl::setCurrentIndex(int index) {
    pages_->setCurrentIndex(index);
}

void TPageControl::setCurrentWidget(QWidget* page) {
    pages_->setCurrentWidget(page);
}

void TPageControl::resizeEvent(QResizeEvent*) {
    LayOutPages();
}

void TPageControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int top = tabsVisible_ ? tabs_->sizeHint().height() : 0;
    painter.setPen(QColor(0xb8, 0xc4, 0xd4));
    painter.drawRect(QRect(0, top, width() - 1, height() - top - 1));
}

void TPageControl::LayOutPages() {
    tabs_->setVisible(tabsVisible_);
    const int tabHeight = tabsVisible_ ? tabs_->sizeHint().height() : 0;
    if (tabsVisible_)
        tabs_->setGeometry(kFrame, 0, width() - 2 * kFrame, tabHeight);
    const QSize size = PageSize();
    pages_->setGeometry(kFrame, tabHeight + kFrame, size.width(), size.height());
    // The stack lays its pages out only when shown; size them now so that
    // positions computed from a page's width hold before the first show.
    for (int i = 0; i < pages_->count(); ++i)
        pages_->widget(i)->resize(size);
}
