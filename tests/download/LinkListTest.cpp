#include "download/LinkList.h"

#include <gtest/gtest.h>

namespace {

const TVideoService kYouTube{"www.youtube.com", "youtube.com"};

using Lines = std::vector<std::string>;

} // namespace

TEST(LinkList, LinkCheckIgnoresCaseAndNeedsBothParts) {
    EXPECT_TRUE(IsVideoLink("HTTPS://WWW.YouTube.com/watch?v=abc", kYouTube));
    EXPECT_FALSE(IsVideoLink("www.youtube.com/watch?v=abc", kYouTube));
    EXPECT_FALSE(IsVideoLink("http://vimeo.com/123", kYouTube));
    const TVideoService local{"127.0.0.1:8080", "127.0.0.1:8080"};
    EXPECT_TRUE(IsVideoLink("http://127.0.0.1:8080/watch?v=a", local));
    EXPECT_FALSE(IsVideoLink("http://127.0.0.1:9090/watch?v=a", local));
}

TEST(LinkList, PasteSplitsOnLineBreaksAndNulAndDropsEmptyLines) {
    EXPECT_EQ(SplitPastedText("\r\n\r\na\r\nb\r\n\r\nc\r\n"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(SplitPastedText("a\nb\rc"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(SplitPastedText(std::string("a\0b", 3)), (Lines{"a", "b"}));
    EXPECT_EQ(SplitPastedText(""), Lines{});
}

TEST(LinkList, LineBreaksInsideMatchingQuotesStay) {
    EXPECT_EQ(SplitPastedText("x \"a\r\nb\" y\nz"), (Lines{"x \"a\r\nb\" y", "z"}));
    EXPECT_EQ(SplitPastedText("'1\n2'\n3"), (Lines{"'1\n2'", "3"}));
    // A quote without its partner is an ordinary character.
    EXPECT_EQ(SplitPastedText("it's\nhere"), (Lines{"it's", "here"}));
    // A double quote does not close a single one.
    EXPECT_EQ(SplitPastedText("'a\"\nb\"'"), (Lines{"'a\"\nb\"'"}));
}

TEST(LinkList, ForeignAndDuplicateLinksAreRejectedButCaseMakesANewLink) {
    const Lines listed{"http://www.youtube.com/watch?v=Abc"};
    EXPECT_EQ(CheckNewLink(listed, "http://www.youtube.com/watch?v=Abc", kYouTube),
              TLinkVerdict::AlreadyListed);
    EXPECT_EQ(CheckNewLink(listed, "http://www.youtube.com/watch?v=abc", kYouTube), TLinkVerdict::Add);
    EXPECT_EQ(CheckNewLink(listed, "http://example.com/", kYouTube), TLinkVerdict::NotVideoLink);
    EXPECT_EQ(LinkRejectionText("x", TLinkVerdict::NotVideoLink),
              "x\n\r\n\rThis is not a YouTube video link.");
    EXPECT_EQ(LinkRejectionText("x", TLinkVerdict::AlreadyListed),
              "x\n\r\n\rThis video is already in the download list.");
}

TEST(VideoService, EnvironmentNamesAnotherServiceAndLinksGiveTheirVideoId) {
    unsetenv(kVideoServiceVariable);
    EXPECT_EQ(CurrentVideoService().Host, "www.youtube.com");
    EXPECT_EQ(CurrentVideoService().Domain, "youtube.com");
    setenv(kVideoServiceVariable, " Videos.Example:8080 ", 1);
    EXPECT_EQ(CurrentVideoService().Host, "Videos.Example:8080");
    EXPECT_EQ(CurrentVideoService().Domain, "videos.example:8080");
    unsetenv(kVideoServiceVariable);

    EXPECT_EQ(VideoIdOfLink("http://www.youtube.com/watch?v=dQw4&feature=x"), "dQw4");
    EXPECT_EQ(VideoIdOfLink("http://www.youtube.com/watch?feature=x&v=id2#t=1"), "id2");
    EXPECT_EQ(VideoIdOfLink("https://youtu.be/short1/"), "short1");
    EXPECT_EQ(VideoIdOfLink("http://www.youtube.com"), "");
}
