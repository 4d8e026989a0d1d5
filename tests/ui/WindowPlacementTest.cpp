#include "ui/WindowPlacement.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowPlacement, BesideTheAnchorWhereTheScreenHasRoom) {
    const QRect screen(0, 0, 1280, 1024);
    const QSize size(330, 270);
    EXPECT_EQ(PlaceBeside({100, 100, 772, 547}, size, screen), QPoint(880, 100)) << "right";
    EXPECT_EQ(PlaceBeside({450, 100, 772, 547}, size, screen), QPoint(112, 100)) << "left";
    EXPECT_EQ(PlaceBeside({254, 10, 772, 547}, size, screen), QPoint(254, 565)) << "below";
    const QPoint corner = PlaceBeside({0, 0, 1280, 1024}, size, screen);
    EXPECT_TRUE(screen.contains(QRect(corner, size))) << "nowhere beside: still on the screen";
}

} // namespace
