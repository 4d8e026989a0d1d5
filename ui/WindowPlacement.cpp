#include "ui/WindowPlacement.h"

#include <algorithm>

namespace {
constexpr int kTitleAllowance = 30;
constexpr int kFrameAllowance = 4;
} // namespace

QSize WithFrameAllowance(QSize size) {
    return {size.width() + 2 * kFrameAllowance, size.height() + kTitleAllowance + kFrameAllowance};
}

QPoint PlaceBeside(const QRect& anchor, QSize size, const QRect& screen) {
    const int gap = 8;
    const QPoint candidates[] = {
        {anchor.right() + 1 + gap, anchor.top()},
        {anchor.left() - gap - size.width(), anchor.top()},
        {anchor.left(), anchor.bottom() + 1 + gap},
        {anchor.left(), anchor.top() - gap - size.height()},
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
