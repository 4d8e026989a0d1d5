#include "support/PathUtils.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

class TempFolder {
public:
    TempFolder() {
        path_ = fs::temp_directory_path() / ("mediawiz-paths-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempFolder() { fs::remove_all(path_); }
    std::string Path() const { return path_.string(); }
    void Touch(const std::string& name) const { std::ofstream(path_ / name) << "x"; }

private:
    fs::path path_;
};

} // namespace

TEST(PathUtils, TrailingSeparatorIsAddedOnce) {
    EXPECT_EQ(WithTrailingBackslash("/music"), "/music/");
    EXPECT_EQ(WithTrailingBackslash("/music/"), "/music/");
    EXPECT_EQ(WithTrailingBackslash(""), "/");
}

TEST(PathUtils, FileNameValidityAndSanitizing) {
    EXPECT_TRUE(ContainsAnyChar("a:b", ":?"));
    EXPECT_FALSE(ContainsAnyChar("ab", ":?"));
    EXPECT_FALSE(ContainsAnyChar("ab", ""));
    EXPECT_FALSE(IsValidFileName(""));
    for (char bad : std::string("\\/:*?\"<>|"))
        EXPECT_FALSE(IsValidFileName(std::string("a") + bad + "b")) << bad;
    EXPECT_TRUE(IsValidFileName("My clip (1).mp4"));

    EXPECT_EQ(SanitizeFileName("a:b?c"), "a_b_c");
    EXPECT_EQ(SanitizeFileName("x\\y/z*\"<>|"), "x_y_z_____");
    EXPECT_EQ(SanitizeFileName("already fine.flv"), "already fine.flv");
}

TEST(PathUtils, StripExtensionLooksOnlyAtTheFileName) {
    EXPECT_EQ(StripExtension("/my.dir/file"), "/my.dir/file");
    EXPECT_EQ(StripExtension("/dir/a.b.mp4"), "/dir/a.b");
    EXPECT_EQ(StripExtension("song.mp3"), "song");
    EXPECT_EQ(StripExtension("notes"), "notes");
}

TEST(PathUtils, UniqueFileNameCountsUpFromOne) {
    TempFolder folder;
    EXPECT_EQ(UniqueFileName("song.mp3", folder.Path()), "song.mp3");
    folder.Touch("song.mp3");
    EXPECT_EQ(UniqueFileName("song.mp3", folder.Path()), "song(1).mp3");
    folder.Touch("song(1).mp3");
    EXPECT_EQ(UniqueFileName("song.mp3", folder.Path()), "song(2).mp3");
    folder.Touch("notes");
    EXPECT_EQ(UniqueFileName("notes", folder.Path()), "notes(1)");
    // A folder of the same name is taken as well.
    fs::create_directory(fs::path(folder.Path()) / "clip.avi");
    EXPECT_EQ(UniqueFileName("clip.avi", folder.Path() + "/"), "clip(1).avi");
}
