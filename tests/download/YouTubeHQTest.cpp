#include "download/YouTubeHQ.h"

#include "app/GalleryShot.h"

#include <QApplication>
#include <QPushButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

QStringList Types(const TFormYouTubeHQ& dialog) {
    QStringList types;
    for (int row = 0; row < dialog.ListViewYouTubeHQ->topLevelItemCount(); ++row)
        types << dialog.ListViewYouTubeHQ->topLevelItem(row)->text(0);
    return types;
}

void Select(TFormYouTubeHQ& dialog, int row) {
    dialog.ListViewYouTubeHQ->setCurrentItem(dialog.ListViewYouTubeHQ->topLevelItem(row));
}

} // namespace

TEST(FormYouTubeHQ, UpAndDownMoveTheSelectedRowWithinTheList) {
    TQualitySlots stored = kDefaultQualityOrder;
    TFormYouTubeHQ dialog(stored);
    EXPECT_EQ(dialog.windowTitle(), "Prefer YouTube high quality");
    const QStringList initial{"[HQ18]", "[HQ35]", "[HQ22]", "[HQ6]", "[HQ13]", "[HQ17]", "[HQ34]", "[HQ37]"};
    EXPECT_EQ(Types(dialog), initial);
    const QTreeWidgetItem* first = dialog.ListViewYouTubeHQ->topLevelItem(0);
    EXPECT_EQ(first->text(1), "MP4");
    EXPECT_EQ(first->text(2), "480x360");
    EXPECT_EQ(first->text(3), "Stereo");

    dialog.ButtonUp->click(); // nothing selected
    Select(dialog, 0);
    dialog.ButtonUp->click();
    Select(dialog, 7);
    dialog.ButtonDown->click();
    EXPECT_EQ(Types(dialog), initial);

    dialog.ButtonUp->click();
    dialog.ButtonUp->click();
    EXPECT_EQ(Types(dialog)[5], "[HQ37]");
    EXPECT_TRUE(dialog.ListViewYouTubeHQ->topLevelItem(5)->isSelected());
    EXPECT_EQ(dialog.ListViewYouTubeHQ->currentItem(), dialog.ListViewYouTubeHQ->topLevelItem(5));
    Select(dialog, 0);
    dialog.ButtonDown->click();
    EXPECT_EQ(Types(dialog).mid(0, 2), (QStringList{"[HQ35]", "[HQ18]"}));
    // Only OK stores the list.
    EXPECT_EQ(stored, kDefaultQualityOrder);
    dialog.StoreList();
    EXPECT_EQ(stored, (TQualitySlots{2, 1, 3, 0, 4, 7, 5, 6}));
    GalleryShot(&dialog, "Download-QualityDialog");
}

TEST(FormYouTubeHQ, DefaultAndBestAvailableAreStoredAtOnce) {
    TQualitySlots stored{6, 5, 4, 3, 2, 1, 0, 7};
    TFormYouTubeHQ dialog(stored);
    dialog.ButtonBestAvailable->click();
    EXPECT_EQ(stored, kBestAvailableOrder);
    EXPECT_EQ(Types(dialog).first(), "[HQ37]");
    dialog.ButtonDefault->click();
    EXPECT_EQ(stored, kDefaultQualityOrder);
    EXPECT_EQ(Types(dialog).first(), "[HQ18]");
}

TEST(FormYouTubeHQ, StoredCodesOutsideTheTableStillGiveAllEightQualities) {
    TQualitySlots stored{7, 200, 7, 3, 9, 1, 2, 0};
    TFormYouTubeHQ dialog(stored);
    EXPECT_EQ(Types(dialog),
              (QStringList{"[HQ37]", "[HQ22]", "[HQ18]", "[HQ35]", "[HQ6]", "[HQ13]", "[HQ17]", "[HQ34]"}));
    dialog.StoreList();
    EXPECT_EQ(stored, (TQualitySlots{7, 3, 1, 2, 0, 4, 5, 6}));
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
