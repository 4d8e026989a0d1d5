#include "support/IniFile.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = (fs::temp_directory_path() /
                 ("mediawiz-ini-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini"))
                    .string();
        fs::remove_all(path_);
    }
    void TearDown() override { fs::remove_all(path_); }

    void Write(const std::string& text) const { std::ofstream(path_, std::ios::binary) << text; }
    std::string Read() const {
        std::ifstream in(path_, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string path_;
};

} // namespace

TEST_F(IniFileTest, ReadsFollowThePrivateProfileRules) {
    Write("; edition\n[SYSTEM]\nName = Leafy Studio Joiner \nHex=0x1F\nNeg=-7\nBad=12abc\nEmpty=\n"
          "Flag=2\nOff=0\nHuge=99999999999\nFull=0xFFFFFFFF\n[Other]\nName=other\n");
    const TIniFile ini(path_);
    EXPECT_EQ(ini.ReadString("SYSTEM", "Name", "-"), "Leafy Studio Joiner");
    EXPECT_EQ(ini.ReadString("system", "NAME", "-"), "Leafy Studio Joiner");
    EXPECT_EQ(ini.ReadString("Other", "Name", "-"), "other");
    EXPECT_EQ(ini.ReadString("SYSTEM", "Missing", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadString("Nowhere", "Name", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadInteger("SYSTEM", "Hex", 0), 31);
    EXPECT_EQ(ini.ReadInteger("SYSTEM", "Neg", 0), -7);
    EXPECT_EQ(ini.ReadInteger("SYSTEM", "Bad", 5), 5);
    EXPECT_EQ(ini.ReadInteger("SYSTEM", "Empty", 5), 5);
    EXPECT_EQ(ini.ReadInteger("SYSTEM", "Name", 5), 5);
    EXPECT_EQ(ini.ReadInteger("SYSTEM", "Huge", 5), 5);
    EXPECT_EQ(ini.ReadInteger("SYSTEM", "Full", 5), -1);
    EXPECT_TRUE(ini.ReadBool("SYSTEM", "Flag", false));
    EXPECT_FALSE(ini.ReadBool("SYSTEM", "Off", true));
    EXPECT_TRUE(ini.ReadBool("SYSTEM", "Bad", true));
    EXPECT_FALSE(ini.ReadBool("SYSTEM", "Missing", false));
    EXPECT_TRUE(ini.ValueExists("system", "hex"));
    EXPECT_FALSE(ini.SectionExists("Form"));
}

TEST_F(IniFileTest, MissingOrUnreadableFileIsEmpty) {
    EXPECT_EQ(TIniFile(path_).ReadInteger("System", "x", 3), 3);
    fs::create_directory(path_);
    EXPECT_EQ(TIniFile(path_).ReadString("System", "x", "d"), "d");
}

TEST_F(IniFileTest, WritesUpdateInPlaceAndKeepOtherLines) {
    Write("; keep me\r\n[Form]\r\nx=1\r\n\r\n[System]\r\nOutputMP3Preset=4\r\nunknown = stays\r\n");
    TIniFile ini(path_);
    ini.WriteInteger("system", "outputmp3preset", 2);
    ini.WriteBool("System", "PlayASoundWhenFinished", true);
    ini.WriteString("Form", "y", "20");
    ini.WriteString("FormLog", "x", "-5");
    ini.UpdateFile();
    EXPECT_EQ(Read(),
              "; keep me\r\n[Form]\r\nx=1\r\ny=20\r\n\r\n[System]\r\noutputmp3preset=2\r\nunknown = stays\r\n"
              "PlayASoundWhenFinished=1\r\n\r\n[FormLog]\r\nx=-5\r\n");
    const TIniFile again(path_);
    EXPECT_EQ(again.ReadInteger("FormLog", "x", 0), -5);
    EXPECT_EQ(again.ReadInteger("Form", "y", 0), 20);
}

TEST_F(IniFileTest, UnwritableFileThrowsWithTheReason) {
    fs::create_directory(path_);
    TIniFile ini(path_);
    ini.WriteInteger("System", "x", 1);
    try {
        ini.UpdateFile();
        FAIL() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("Is a directory"), std::string::npos) << error.what();
    }
}
