#include "app/EditionFile.h"
#include "app/EditionSetup.h"
#include "app/EditionSkin.h"
#include "app/EditionTable.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>

TEST(EditionFile, MissingFileGivesTheDefaults) {
    const TEditionProfile edition = ReadEditionFile("/nonexistent/lame.dll");
    EXPECT_EQ(edition.Name, "");
    EXPECT_TRUE(edition.Download);
    EXPECT_FALSE(edition.Merge);
    EXPECT_EQ(edition.Skin, "0");
    EXPECT_EQ(edition.DefaultClass, 0);
    for (bool offered : edition.Offered)
        EXPECT_FALSE(offered);
}

TEST(EditionFile, KeysMapToTheirFormats) {
    QTemporaryDir dir;
    const QString path = dir.filePath("lame.dll");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[system]\nname=A/B/C Joiner\nDownload=0\nMerge=1\nRes=2\nSkin=3\nDefaultAudio=0x103\n"
               "DefaultClass=7\nIPOD=1\nmp2=1\n3GP=5\nAVI=junk\nFLAC=0\n");
    file.close();
    const TEditionProfile edition = ReadEditionFile(path.toStdString());
    EXPECT_EQ(edition.Name, "A/B/C Joiner");
    EXPECT_FALSE(edition.Download);
    EXPECT_TRUE(edition.Merge);
    EXPECT_EQ(edition.Res, "2");
    EXPECT_EQ(edition.Skin, "3");
    EXPECT_EQ(edition.DefaultAudio, 259);
    EXPECT_EQ(edition.DefaultClass, 7);
    std::set<int> offered;
    for (int slot = 0; slot < kFormatCount; ++slot) {
        if (edition.Offered[slot])
            offered.insert(slot);
    }
    EXPECT_EQ(offered, (std::set<int>{fmtiPod, fmtMP2, fmt3GP}));
    EXPECT_EQ(ResourceFolder("/opt/mw/", "2"), "/opt/mw/sounds/res2/");
}

TEST(EditionTable, StartupLookupKnowsFortySevenEditions) {
    int startup = 0, minimal = 0, tools = 0;
    std::set<std::string> names;
    for (const TEditionRow& row : EditionRows()) {
        EXPECT_TRUE(names.insert(row.Name).second) << "duplicate " << row.Name;
        if (!row.Icon)
            continue;
        ++startup;
        minimal += row.MinimalChrome;
        tools += row.ToolsWording;
    }
    EXPECT_EQ(startup, 47);
    EXPECT_EQ(minimal, 2);
    EXPECT_EQ(tools, 15);
}

TEST(EditionTable, LinkColumnsHoldAddressesOrDerivedCells) {
    int prefix12 = 0, prefix8 = 0;
    for (const TEditionRow& row : EditionRows()) {
        prefix12 += row.PrefixLength == 12;
        prefix8 += row.PrefixLength == 8;
        if (row.PrefixLength) {
            EXPECT_EQ(std::string(row.Name).size(), static_cast<size_t>(row.PrefixLength)) << row.Name;
        }
        for (const char* link : row.Links) {
            const std::string address = link;
            if (address == kDerivedLink) {
                EXPECT_NE(row.PrefixLength, 0) << row.Name;
                EXPECT_NE(std::string(row.BaseAddress), "") << row.Name;
            } else if (!address.empty()) {
                EXPECT_EQ(address.rfind("https://www.vantoleaf.example/", 0), 0u) << address;
            }
        }
    }
    EXPECT_EQ(prefix12, 1);
    EXPECT_EQ(prefix8, 1);
}

TEST(EditionTable, LookupIsExactCaseSensitiveOrByPrefix) {
    const TEditionRow* row = FindEditionRow("Vantoleaf Video Converter", TEditionLookup::elStartup);
    ASSERT_NE(row, nullptr);
    EXPECT_STREQ(row->Icon, "video");
    EXPECT_EQ(FindEditionRow("vantoleaf video converter", TEditionLookup::elStartup), nullptr);
    EXPECT_EQ(FindEditionRow("Vantoleaf Video Converter ", TEditionLookup::elStartup), nullptr);
    EXPECT_EQ(FindEditionRow("", TEditionLookup::elStartup), nullptr);

    const TEditionRow* prefixed = FindEditionRow("Leafy Studio Video Joiner", TEditionLookup::elStartup);
    ASSERT_NE(prefixed, nullptr);
    EXPECT_EQ(prefixed->PrefixLength, 12);
    EXPECT_EQ(FindEditionRow("Leafy Studi", TEditionLookup::elStartup), nullptr);

    // Rows of the link lookups only give links, never an icon.
    EXPECT_EQ(FindEditionRow("Leaf Box Free Sample Tool", TEditionLookup::elStartup), nullptr);
    const TEditionRow* links = FindEditionRow("Leaf Box Free Sample Tool", TEditionLookup::elLinks);
    ASSERT_NE(links, nullptr);
    EXPECT_EQ(links->PrefixLength, 8);
    EXPECT_EQ(FindEditionRow("Vantoleaf Ringtone Maker", TEditionLookup::elStartup), nullptr);
    EXPECT_NE(FindEditionRow("Vantoleaf Ringtone Maker", TEditionLookup::elLinks), nullptr);
}

TEST(EditionSetup, ButtonGridColumnsDivideByTheCellWidthOnly) {
    const QPoint origin(10, 5);
    const QSize cell(62, 57);
    // (525 - 10 - 2) div 62 = 8 columns; div 64 would give only 8 as well at 525,
    // but 7 at 510, where 62 still gives 8.
    EXPECT_EQ(GridCell(525, origin, cell, 2, 3, 8), QPoint(10, 65));
    EXPECT_EQ(GridCell(525, origin, cell, 2, 3, 7), QPoint(10 + 7 * 64, 5));
    EXPECT_EQ(GridCell(510, origin, cell, 2, 3, 7), QPoint(10 + 7 * 64, 5));
    EXPECT_EQ(GridCell(73, origin, cell, 2, 3, 0), QPoint(10, 5));
    EXPECT_EQ(GridCell(73, origin, cell, 2, 3, 2), QPoint(10, 5 + 2 * 60));
    EXPECT_EQ(GridCell(40, origin, cell, 2, 3, 1), QPoint(10, 65));
    EXPECT_EQ(GridCell(531, QPoint(18, 135), QSize(171, 32), 0, 0, 2), QPoint(18 + 2 * 171, 135));
}

TEST(EditionSkin, SkinMustBeADecimalInteger) {
    int skin = -1;
    EXPECT_TRUE(ParseSkinNumber("3", skin));
    EXPECT_EQ(skin, 3);
    EXPECT_TRUE(ParseSkinNumber(" 12 ", skin));
    EXPECT_EQ(skin, 12);
    EXPECT_TRUE(ParseSkinNumber("-1", skin));
    EXPECT_EQ(skin, -1);
    for (const char* bad : {"", "x", "1.5", "0x3", "3a", "+-2", "99999999999"})
        EXPECT_FALSE(ParseSkinNumber(bad, skin)) << bad;
    EXPECT_NE(SkinLayoutFor(0), nullptr);
    EXPECT_NE(SkinLayoutFor(3), nullptr);
    EXPECT_EQ(SkinLayoutFor(4), nullptr);
    EXPECT_EQ(SkinLayoutFor(-1), nullptr);
}
