#include "support/TimeTexts.h"

#include <gtest/gtest.h>

TEST(TimeTexts, SecondsAndDurations) {
    EXPECT_EQ(FormatSecondsText(0), "00:00:00");
    EXPECT_EQ(FormatSecondsText(3 * 3600 + 25 * 60 + 7), "03:25:07");
    EXPECT_EQ(FormatSecondsText(100 * 3600), "100:00:00");
    EXPECT_EQ(FormatDurationText(0), "00:00:00.000");
    EXPECT_EQ(FormatDurationText(3723456789LL), "01:02:03.456");
    EXPECT_EQ(FormatDurationText(999), "00:00:00.000");
}
