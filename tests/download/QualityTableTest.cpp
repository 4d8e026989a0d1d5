#include "download/QualityTable.h"

#include <gtest/gtest.h>

TEST(QualityTable, SummaryWithDefaultsAndWithThePreferenceOff) {
    EXPECT_EQ(QualitySummaryText(true, kDefaultQualityOrder),
              "Prefer: [HQ18] > [HQ35] > [HQ22] > [HQ6] > [HQ13] > [HQ17] > [HQ34] > [HQ37]");
    EXPECT_EQ(QualitySummaryText(true, kBestAvailableOrder),
              "Prefer: [HQ37] > [HQ22] > [HQ35] > [HQ18] > [HQ6] > [HQ34] > [HQ13] > [HQ17]");
    // Deliberately a different spelling from the attempt label.
    EXPECT_EQ(QualitySummaryText(false, kDefaultQualityOrder), "[Defatult Quality - HQ5]");
    EXPECT_EQ(
        QualitySummaryText(true, TQualitySlots{1, 2, 3, 0, 4, 5, 6, 200}),
        "Prefer: [HQ18] > [HQ35] > [HQ22] > [HQ6] > [HQ13] > [HQ17] > [HQ34] > [Default Quality - HQ5]");
}

TEST(QualityTable, LookupsAndCodesOutsideTheTable) {
    EXPECT_EQ(QualityAddressParameter(3), "&fmt=22");
    EXPECT_EQ(QualityExtension(4), ".3gp");
    EXPECT_EQ(QualityLongDescription("[HQ18]"), "[HQ18] - Format: MP4; Video: 480x360; Audio: Sterro");
    EXPECT_EQ(FindQuality(1)->Audio, "Stereo");
    EXPECT_EQ(QualityLongDescription("[HQ99]"), "[Default Quality - HQ5]");
    EXPECT_EQ(QualityCodeOfLabel("[HQ37]"), 7);
    EXPECT_EQ(QualityCodeOfLabel("[HQ99]"), 0);
    for (int code : {-1, 8, 255}) {
        EXPECT_EQ(FindQuality(code), nullptr);
        EXPECT_EQ(QualityShortLabel(code), "[Default Quality - HQ5]");
        EXPECT_EQ(QualityAddressParameter(code), "");
        EXPECT_EQ(QualityExtension(code), ".flv");
    }
    for (const TQualityInfo& q : AllQualities())
        EXPECT_EQ(QualityCodeOfLabel(q.ShortLabel), q.Code);
}

TEST(QualityTable, AttemptsZeroIsTheDefaultAndNAreTheSlots) {
    EXPECT_EQ(AttemptLabel(kDefaultQualityOrder, 0), "[Default Quality - HQ5]");
    EXPECT_EQ(AttemptExtension(kDefaultQualityOrder, 0), ".flv");
    EXPECT_EQ(AttemptAddressParameter(kDefaultQualityOrder, 0), "");
    EXPECT_EQ(AttemptLabel(kDefaultQualityOrder, 1), "[HQ18]");
    EXPECT_EQ(AttemptExtension(kDefaultQualityOrder, 1), ".mp4");
    EXPECT_EQ(AttemptLabel(kDefaultQualityOrder, 8), "[HQ37]");
    EXPECT_EQ(AttemptAddressParameter(kBestAvailableOrder, 5), "&fmt=6");
}
