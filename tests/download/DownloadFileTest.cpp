#include "download/DownloadFile.h"

#include "Fixtures.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& path, const std::string& data) {
    std::ofstream(path, std::ios::binary) << data;
}

std::string NewPart(const std::string& folder, const std::string& content) {
    const TFileResult part = CreatePartFile(folder);
    EXPECT_TRUE(part.Ok()) << part.Error;
    WriteAll(part.Path, content);
    return part.Path;
}

class DownloadFileTest : public ::testing::Test {
protected:
    std::string dir_ =
        Fixtures::ScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "/";
};

} // namespace

TEST(DownloadFileName, UnsafeCharactersAreReplacedAndTheRowNameKept) {
    EXPECT_EQ(DownloadFileName("Q: why? a/b\\c*\"<>|", ".mp4", ""), "Q_ why_ a_b_c_____.mp4");
    EXPECT_EQ(DownloadFileName("Tom && Jerry & Co", ".flv", ""), "Tom && Jerry & Co.flv");
    EXPECT_EQ(DownloadFileName("two\nlines\t", ".flv", ""), "two_lines_.flv");
    EXPECT_EQ(DownloadFileName(".hidden", ".flv", ""), "_hidden.flv");
    // Without a title the video id names the file, never a bare ".flv".
    EXPECT_EQ(DownloadFileName("", ".flv", "http://www.youtube.com/watch?v=a1b2"), "a1b2.flv");
    EXPECT_EQ(DownloadFileName("", ".mp4", "http://www.youtube.com/"), "video.mp4");
}

TEST(DownloadFileName, LongNamesAreCutAtACharacterBoundary) {
    const std::string stem(300, 'a');
    EXPECT_EQ(FitFileName(stem, "(12).mp4").size(), 255u);
    EXPECT_EQ(FitFileName("short", ".mp4"), "short.mp4");
    std::string wide;
    for (int i = 0; i < 100; ++i)
        wide += "\xe6\x97\xa5"; // three bytes each
    const std::string fitted = FitFileName(wide, ".flv");
    EXPECT_EQ(fitted, wide.substr(0, 249) + ".flv");
    EXPECT_EQ(FitFileName(wide, "(1).flv"), wide.substr(0, 246) + "(1).flv");
}

TEST_F(DownloadFileTest, SameNamesAreNumberedAndNothingIsReplaced) {
    WriteAll(dir_ + "Title.mp4", "first");
    const TFileResult second = MoveToFreeName(NewPart(dir_, "second"), dir_, "Title.mp4");
    ASSERT_TRUE(second.Ok()) << second.Error;
    EXPECT_EQ(second.Path, dir_ + "Title(1).mp4");
    const TFileResult third = MoveToFreeName(NewPart(dir_, "third"), dir_, "Title.mp4");
    EXPECT_EQ(third.Path, dir_ + "Title(2).mp4");
    EXPECT_EQ(ReadAll(dir_ + "Title.mp4"), "first");
    EXPECT_EQ(ReadAll(dir_ + "Title(1).mp4"), "second");
    EXPECT_EQ(ReadAll(dir_ + "Title(2).mp4"), "third");
    // Only the three videos are left: the part files became them.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 3);
}

TEST_F(DownloadFileTest, ANumberedLongNameStillFits) {
    const std::string name = std::string(260, 'x') + ".mp4";
    const TFileResult first = MoveToFreeName(NewPart(dir_, "1"), dir_, name);
    const TFileResult second = MoveToFreeName(NewPart(dir_, "2"), dir_, name);
    ASSERT_TRUE(first.Ok() && second.Ok()) << first.Error << second.Error;
    EXPECT_EQ(fs::path(first.Path).filename().string(), std::string(251, 'x') + ".mp4");
    EXPECT_EQ(fs::path(second.Path).filename().string(), std::string(248, 'x') + "(1).mp4");
}

TEST_F(DownloadFileTest, APartFileIsNewAndGetsTheUmasksPermissions) {
    const mode_t previous = ::umask(027);
    const TFileResult first = CreatePartFile(dir_);
    const TFileResult second = CreatePartFile(dir_);
    ::umask(previous);
    ASSERT_TRUE(first.Ok() && second.Ok());
    EXPECT_NE(first.Path, second.Path);
    EXPECT_EQ(fs::file_size(first.Path), 0u);
    EXPECT_EQ(fs::status(first.Path).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(fs::path(first.Path).filename().string().front(), '.') << "hidden while it grows";
}

TEST_F(DownloadFileTest, AMissingFolderGivesTheSystemsReason) {
    const TFileResult part = CreatePartFile(dir_ + "gone/");
    EXPECT_FALSE(part.Ok());
    EXPECT_EQ(part.Error, "No such file or directory");
    const std::string existing = NewPart(dir_, "x");
    const TFileResult moved = MoveToFreeName(existing, dir_ + "gone/", "a.flv");
    EXPECT_EQ(moved.Error, "No such file or directory");
}
