#include "app/Links.h"

#include <gtest/gtest.h>

namespace {

TEST(LinksTest, ExactRowsAnswerTheirOwnAddressesAndUnknownTitlesNothing) {
    EXPECT_EQ(LookupLink(TLinkKind::lkHomePage, "Vantoleaf Video Converter"),
              "https://www.vantoleaf.example/video-converter/");
    // A row without an address in a kind, and a title in no row, give the empty text.
    EXPECT_EQ(LookupLink(TLinkKind::lkHomePage, "Vantoleaf Free Video Converter"), "");
    EXPECT_EQ(LookupLink(TLinkKind::lkSupport, "No Such Edition"), "");
    // Exact rows compare the whole title, case-sensitively.
    EXPECT_EQ(LookupLink(TLinkKind::lkHelpContent, "vantoleaf video converter"), "");
    EXPECT_EQ(LookupLink(TLinkKind::lkHelpContent, "Vantoleaf Video Converter 2"), "");
}

TEST(LinksTest, EightCharacterRowDropsNameFreeAndSpacesFromTheSlug) {
    const QString title = "Leaf Box Free Sample Tool";
    const QString base = "https://www.vantoleaf.example/leaf-box/";
    EXPECT_EQ(LookupLink(TLinkKind::lkHelpContent, title), base + "sampletool/help/Help_Content.html");
    EXPECT_EQ(LookupLink(TLinkKind::lkTutorials, title), base + "sampletool/help/HowTosVideoDemo.html");
    EXPECT_EQ(LookupLink(TLinkKind::lkMoreTools, title), base + "sampletool/help/MoreFreeTools.html");
    EXPECT_EQ(LookupLink(TLinkKind::lkUpdates, title), base + "sampletool/help/CheckForUpdates.html");
    EXPECT_EQ(LookupLink(TLinkKind::lkSupport, title), base + "sampletool/help/Support.html");
    EXPECT_EQ(LookupLink(TLinkKind::lkHomePage, title), base);
}

TEST(LinksTest, TwelveCharacterRowDerivesFromTheNameAloneAndKeepsFixedSupport) {
    const QString title = "Leafy Studio Video Mixer";
    const QString base = "https://www.vantoleaf.example/leafy-studio/";
    EXPECT_EQ(LookupLink(TLinkKind::lkUpdates, title), base + "videomixer/help/CheckForUpdates.html");
    EXPECT_EQ(LookupLink(TLinkKind::lkSupport, title), base + "support.html");
    EXPECT_EQ(LookupLink(TLinkKind::lkHomePage, title), base);
    // Every occurrence of the marker goes, wherever it stands.
    EXPECT_EQ(LookupLink(TLinkKind::lkHelpContent, "Leafy Studio Pro Leafy Studio"),
              base + "pro/help/Help_Content.html");
}

} // namespace
