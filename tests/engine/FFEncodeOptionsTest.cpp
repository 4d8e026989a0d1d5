#include "engine/FFEncodeOptions.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::pair<std::string, std::string>> Pairs(const std::vector<TOptionLine>& lines) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& l : lines)
        out.emplace_back(l.Name, l.Value);
    return out;
}

using Pairs_t = std::vector<std::pair<std::string, std::string>>;

TEST(OptionText, LiteralCrlfAndRealLineBreaksSplitTheSameWay) {
    const Pairs_t expected = {{"ar", "22050"}, {"ac", "1"}};
    EXPECT_EQ(Pairs(ParseOptionLines("ar=22050<CRLF>ac=1")), expected);
    EXPECT_EQ(Pairs(ParseOptionLines("ar=22050\r\nac=1")), expected);
    EXPECT_EQ(Pairs(ParseOptionLines("ar=22050\rac=1")), expected);
    EXPECT_EQ(Pairs(ParseOptionLines("  ar=22050\nac=1\n\n")), expected);
}

TEST(OptionText, NamesLowerCasedAndSplitAtTheFirstEqualsSign) {
    const Pairs_t expected = {{"metadata", "title=a=b"}, {"vf", "scale=320:240"}};
    EXPECT_EQ(Pairs(ParseOptionLines("MetaData=title=a=b<CRLF>VF=scale=320:240<CRLF>noequals<CRLF>=x")),
              expected);
}

TEST(OptionText, InputAndOutputReadersSkipTheirNames) {
    for (const char* name :
         {"newvideo", "newaudio", "newsubtitle", "apre", "vpre", "spre", "vfilters", "vf"}) {
        EXPECT_TRUE(IsSkippedOption(name, TOptionTarget::Input)) << name;
        EXPECT_TRUE(IsSkippedOption(name, TOptionTarget::Output)) << name;
    }
    for (const char* name : {"acodec", "vcodec", "scodec", "s"}) {
        EXPECT_FALSE(IsSkippedOption(name, TOptionTarget::Input)) << name;
        EXPECT_TRUE(IsSkippedOption(name, TOptionTarget::Output)) << name;
    }
    EXPECT_FALSE(IsSkippedOption("ar", TOptionTarget::Output));
}

TEST(OutputDefaults, ExtraLinesFillOnlyEmptyDefaultsAndStayPendingInOrder) {
    TOutputDefaults d;
    d.Collect(
        {{"def_acodec", "mp2"}, {"def_vcodec", ""}, {"def_vf", ""}},
        ParseOptionLines("acodec=aac<CRLF>vcodec=mpeg4<CRLF>vcodec=flv<CRLF>vfilters=hflip<CRLF>ar=8000"));
    EXPECT_EQ(d.Value("def_acodec"), "mp2");   // the record's codec wins
    EXPECT_EQ(d.Value("def_vcodec"), "mpeg4"); // first extra line fills the empty default
    EXPECT_EQ(d.Value("def_vf"), "hflip");     // "vfilters" counts as "vf"
    EXPECT_EQ(d.Take("vcodec"), "mpeg4");
    EXPECT_EQ(d.Take("vcodec"), "flv");
    EXPECT_EQ(d.Take("vcodec"), std::nullopt);
    EXPECT_EQ(d.Take("vf"), "hflip");
    EXPECT_EQ(d.Take("ar"), std::nullopt); // other names are not collected
}

TEST(OutputDefaults, LocalDateTimeConvertsToUnixSeconds) {
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(LocalDateTimeToUnix(25569.0), 0);
    EXPECT_EQ(LocalDateTimeToUnix(25569.5), 43200);
    setenv("TZ", "CET-1", 1); // one hour east of UTC, no summer time
    tzset();
    EXPECT_EQ(LocalDateTimeToUnix(25569.5), 43200 - 3600);
    unsetenv("TZ");
    tzset();
}

} // namespace
