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

// A 640x420 preview beside a centred main window on a 1080p screen: shrunk to the room on
// its right, proportions kept, so it covers nothing.
TEST(WindowPlacement, APreviewTooLargeForTheRoomBesideIsShrunkToIt) {
    const QRect screen(0, 0, 1920, 1080);
    const QRect main(574, 266, 772, 547);
    const QSize fitted = FitBeside(main, {640, 420}, screen, 200);
    EXPECT_LT(fitted.width(), 640);
    EXPECT_NEAR(double(fitted.width()) / fitted.height(), 640.0 / 420.0, 0.01);
    const QSize frame = WithFrameAllowance(fitted);
    const QRect placed(PlaceBeside(main, frame, screen), frame);
    EXPECT_TRUE(screen.contains(placed));
    EXPECT_FALSE(placed.intersects(main));

    EXPECT_EQ(FitBeside(main, {320, 240}, screen, 200), QSize(320, 240)) << "room enough: never enlarged";
    EXPECT_EQ(FitBeside({0, 0, 1900, 1060}, {640, 420}, screen, 200), QSize(640, 420))
        << "no useful room: full size, placed in a corner";
}

} // namespace
