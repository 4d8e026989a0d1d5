#include "ui/WindowPlacement.h"

#include <algorithm>

namespace {
constexpr int kTitleAllowance = 30;
constexpr int kFrameAllowance = 4;
constexpr int kGap = 8;
} // namespace

QSize WithFrameAllowance(QSize size) {
    return {size.width() + 2 * kFrameAllowance, size.height() + kTitleAllowance + kFrameAllowance};
}

QPoint PlaceBeside(const QRect& anchor, QSize size, const QRect& screen) {
    const QPoint candidates[] = {
        {anchor.right() + 1 + kGap, anchor.top()},
        {anchor.left() - kGap - size.width(), anchor.top()},
        {anchor.left(), anchor.bottom() + 1 + kGap},
        {anchor.left(), anchor.top() - kGap - size.height()},
    };
    for (QPoint at : candidates) {
        // Slid along the anchor's side to stay on the screen.
        const QRect moved = QRect(at, size).translated(
            std::clamp(at.x(), screen.left(), std::max(screen.left(), screen.right() + 1 - size.width())) -
                at.x(),
            std::clamp(at.y(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - size.height())) -
                at.y());
        if (screen.contains(moved) && !moved.intersects(anchor))
            return moved.topLeft();
    }
    const QPoint centre = anchor.center();
    const int x = centre.x() < screen.center().x() ? screen.right() + 1 - size.width() : screen.left();
    const int y = centre.y() < screen.center().y() ? screen.bottom() + 1 - size.height() : screen.top();
    return {x, y};
}

QSize FitBeside(const QRect& anchor, QSize size, const QRect& screen, int minWidth) {
    if (size.isEmpty())
        return size;
    const QSize frame = WithFrameAllowance({0, 0});
    // The room right of, left of, below and above the anchor.
    const QSize sides[] = {
        {screen.right() - anchor.right() - kGap, screen.height()},
        {anchor.left() - screen.left() - kGap, screen.height()},
        {screen.width(), screen.bottom() - anchor.bottom() - kGap},
        {screen.width(), anchor.top() - screen.top() - kGap},
    };
    double best = 0;
    for (QSize side : sides)
        best = std::max(best, std::min({1.0, double(side.width() - frame.width()) / size.width(),
                                        double(side.height() - frame.height()) / size.height()}));
    const QSize fitted(int(size.width() * best), int(size.height() * best));
    return fitted.width() >= minWidth ? fitted : size;
}
