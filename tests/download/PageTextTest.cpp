#include "download/PageText.h"

#include <gtest/gtest.h>

TEST(PageText, TitleEntitiesAreDecodedThenTheFirstAmpersandDoubled) {
    const std::string page = "<head><meta name=\"title\" content=\"Tom &amp; Jerry &amp; Co\"></head>";
    EXPECT_EQ(ExtractTitle(page), "Tom & Jerry & Co");
    EXPECT_EQ(DoubleFirstAmpersand(ExtractTitle(page)), "Tom && Jerry & Co");
    EXPECT_EQ(ExtractTitle("<meta name=\"title\" content=\"&lt;b&gt; &quot;q&quot;&nbsp;x\">"),
              "<b> \"q\" x");
    // The replacements run one after the other, "&amp;" first.
    EXPECT_EQ(ExtractTitle("<meta name=\"title\" content=\"&amp;lt; &amp;amp;\">"), "< &amp;");
}

TEST(PageText, TitleIsTheLeftmostMatchAndMaySpanLines) {
    EXPECT_EQ(ExtractTitle("<meta name=\"title\" content=\"One\">\n<meta name=\"title\" content=\"Two\">"),
              "One");
    EXPECT_EQ(ExtractTitle("<meta name=\"title\" content=\"Line\nbreak\">"), "Line\nbreak");
    EXPECT_EQ(ExtractTitle("<META NAME=\"title\" content=\"x\">"), "");
    EXPECT_EQ(ExtractTitle("<meta name=\"title\" content=\"\">"), "");
    EXPECT_EQ(ExtractTitle("<html></html>"), "");
    // "[^<]+" runs to the last "\">" before the next "<"; then the first "\">" goes.
    EXPECT_EQ(ExtractTitle("<meta name=\"title\" content=\"a\">b\"><p>"), "ab\">");
}

TEST(PageText, AddressTakesTheFirstKeysLazilyAndWorksWithoutThem) {
    const std::string page = "x video_id=AB\ncd&l=1&t=T0K&sk=2 video_id=zz& &t=yy&";
    EXPECT_EQ(BuildDownloadAddress(page, "www.youtube.com"),
              "http://www.youtube.com/get_video?video_id=AB\ncd&&t=T0K&");
    EXPECT_EQ(BuildDownloadAddress("nothing here", "127.0.0.1:81"), "http://127.0.0.1:81/get_video?");
    EXPECT_EQ(BuildDownloadAddress("video_id=no-amp", "h"), "http://h/get_video?");
}

TEST(PageText, PageBytesAreUtf8WhenValidElseOneBytePerCharacter) {
    EXPECT_EQ(DecodePageBytes("Gr\xc3\xbc\xc3\x9f \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x8e\xac"),
              "Gr\xc3\xbc\xc3\x9f \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x8e\xac");
    EXPECT_EQ(DecodePageBytes("Gr\xfc\xdf"), "Gr\xc3\xbc\xc3\x9f");
    // Truncated, overlong and surrogate forms are no UTF-8.
    EXPECT_EQ(DecodePageBytes("a\xc3"), "a\xc3\x83");
    EXPECT_EQ(DecodePageBytes("\xc0\xaf"), "\xc3\x80\xc2\xaf");
    EXPECT_EQ(DecodePageBytes("\xed\xa0\x80"), "\xc3\xad\xc2\xa0\xc2\x80");
}
