#pragma once

#include <QWidget>

class QStackedWidget;
class QTabBar;

// Tabbed pages whose tab headers can be hidden; with the headers hidden the pages
// change only under program control. Pages fill the control inside a 1-pixel frame,
// so their size is known as soon as the control's is (also before it is shown).
class TPageControl : public QWidget {
    Q_OBJECT
public:
    explicit TPageControl(QWidget* parent = nullptr);

    // Adds a page (the control takes ownership) and returns it.
    QWidget* AddPage(QWidget* page, const QString& caption);

    void SetTabsVisible(bool visible);
    bool TabsVisible() const { return tabsVisible_; }

    // Moves and sizes the control and its pages at once.
    void SetBounds(int left, int top, int width, int height);
    // The size every page has.
    QSize PageSize() const;

    int count() const;
    int currentIndex() const;
    QWidget* currentWidget() const;
    QWidget* widget(int index) const;
    int indexOf(QWidget* page) const;
    void setCurrentIndex(int index);
    void setCurrentWidget(QWidget* page);

signals:
    // The current page changed (by the program or by a tab click).
    void currentChanged(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void LayOutPages();

    QTabBar* tabs_;
    QStackedWidget* pages_;
    bool tabsVisible_ = true;
};
