#include "app/Settings.h"

#include "app/Placement.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { file_ = dir_.filePath("system.dat"); }

    TGlobalVars StartupVars() const {
        TGlobalVars vars;
        vars.LastOpenDir = vars.OutputFileDir = vars.OutputURLDir = "/home/u/Documents";
        vars.OutputFormatClass = fcAudio;
        vars.OutputAudioFormat = 3;
        SetSettingsDefaults(vars);
        return vars;
    }
    void Write(const QByteArray& text) const {
        QFile file(file_);
        file.open(QIODevice::WriteOnly);
        file.write(text);
    }
    QStringList Lines() const {
        QFile file(file_);
        file.open(QIODevice::ReadOnly);
        return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }

    QTemporaryDir dir_;
    QString file_;
};

} // namespace

TEST_F(SettingsTest, FirstRunWritesAllKeysAtTheirDefaults) {
    TGlobalVars vars = StartupVars();
    EXPECT_FALSE(LoadSettings(vars, file_));
    const QStringList expected = {"[System]",
                                  "LastOpenDir=/home/u/Documents",
                                  "OutputFileDir=/home/u/Documents",
                                  "OutputURLDir=/home/u/Documents",
                                  "OutputFormatClass=2",
                                  "OutputAudioFormat=3",
                                  "OutputVideoFormat=0",
                                  "OutputDeviceFormat=0",
                                  "OutputWAVPreset=3",
                                  "OutputMP3Preset=2",
                                  "OutputWMAPreset=1",
                                  "OutputOGGPreset=3",
                                  "OutputM4APreset=0",
                                  "OutputAACPreset=3",
                                  "OutputFLACPreset=5",
                                  "OutputMP2Preset=0",
                                  "OutputAVIPreset=3",
                                  "OutputMP4Preset=3",
                                  "OutputFLVPreset=1",
                                  "OutputSWFPreset=1",
                                  "OutputMPEGPreset=5",
                                  "OutputRMPreset=1",
                                  "OutputWMVPreset=16",
                                  "OutputMOVPreset=7",
                                  "Output3GPPreset=2",
                                  "OutputiPodPreset=5",
                                  "OutputiPhonePreset=1",
                                  "OutputAppleTVPreset=1",
                                  "OutputPSPPreset=1",
                                  "OutputBlackBerryPreset=1",
                                  "OutputMobilePhonePreset=1",
                                  "OutputiPadPreset=0",
                                  "PlayASoundWhenFinished=0",
                                  "ShutDownWhenFinished=0",
                                  "PreferYouTubeQuality=1",
                                  "PreferYouTube1=1",
                                  "PreferYouTube2=2",
                                  "PreferYouTube3=3",
                                  "PreferYouTube4=0",
                                  "PreferYouTube5=4",
                                  "PreferYouTube6=5",
                                  "PreferYouTube7=6",
                                  "PreferYouTube18=7"};
    EXPECT_EQ(Lines(), expected);
    EXPECT_EQ(expected.size(), 43); // the header and 42 keys
    EXPECT_TRUE(LoadSettings(vars, file_));
}

TEST_F(SettingsTest, MissingAndDamagedKeysKeepTheValueInMemory) {
    Write("[System]\nOutputMP3Preset=4\n");
    TGlobalVars vars = StartupVars();
    EXPECT_TRUE(LoadSettings(vars, file_));
    TGlobalVars expected = StartupVars();
    expected.Presets[fmtMP3] = 4;
    EXPECT_EQ(vars.Presets, expected.Presets);
    EXPECT_EQ(vars.OutputAudioFormat, 3);
    EXPECT_EQ(vars.PreferYouTube, expected.PreferYouTube);
    EXPECT_TRUE(vars.PreferYouTubeQuality);

    Write("[system]\noutputformatclass=258\nOutputVideoFormat=x\nOutputWMVPreset=\nPreferYouTube18=261\n"
          "PlayASoundWhenFinished=7\nPreferYouTubeQuality=no\nOutputURLDir=/data/dl/\n");
    vars = StartupVars();
    EXPECT_TRUE(LoadSettings(vars, file_));
    EXPECT_EQ(vars.OutputFormatClass, fcAudio);
    EXPECT_EQ(vars.OutputVideoFormat, 0);
    EXPECT_EQ(vars.Presets[fmtWMV], 16);
    EXPECT_EQ(vars.PreferYouTube[7], 5);
    EXPECT_TRUE(vars.PlayASoundWhenFinished);
    EXPECT_TRUE(vars.PreferYouTubeQuality);
    EXPECT_EQ(vars.OutputURLDir, "/data/dl/");
}

TEST_F(SettingsTest, RoundTripKeepsEveryValueAndTheOtherSections) {
    Write("[Form]\nx=5\n[System]\nOutputMP3Preset=4\n");
    TGlobalVars vars = StartupVars();
    vars.LastOpenDir = QString::fromUtf8("/médias/ünïcode dir/");
    vars.OutputDeviceFormat = 6;
    for (int slot = 0; slot < kFormatCount; ++slot)
        vars.Presets[slot] = slot * 3 - 1;
    vars.ShutDownWhenFinished = true;
    vars.PreferYouTubeQuality = false;
    vars.PreferYouTube = {7, 6, 5, 4, 3, 2, 1, 0};
    SaveSettings(vars, file_);

    TGlobalVars loaded = StartupVars();
    EXPECT_TRUE(LoadSettings(loaded, file_));
    EXPECT_EQ(loaded.LastOpenDir, vars.LastOpenDir);
    EXPECT_EQ(loaded.OutputDeviceFormat, 6);
    EXPECT_EQ(loaded.Presets, vars.Presets);
    EXPECT_TRUE(loaded.ShutDownWhenFinished);
    EXPECT_FALSE(loaded.PreferYouTubeQuality);
    EXPECT_EQ(loaded.PreferYouTube, vars.PreferYouTube);
    EXPECT_EQ(Lines().mid(0, 3), (QStringList{"[Form]", "x=5", "[System]"}));
}

TEST_F(SettingsTest, UnreadableFileBehavesAsEmptyAndUnwritableThrows) {
    QDir().mkdir(file_);
    TGlobalVars vars = StartupVars();
    EXPECT_TRUE(LoadSettings(vars, file_));
    EXPECT_EQ(vars.Presets, StartupVars().Presets);
    EXPECT_THROW(SaveSettings(vars, file_), std::runtime_error);

    // A first run in a folder that cannot be written leaves the failure to the save at close.
    TGlobalVars firstRun = StartupVars();
    EXPECT_FALSE(LoadSettings(firstRun, dir_.filePath("missing/system.dat")));
}

TEST(Placement, ClampKeepsTheWindowOnTheScreen) {
    const QSize screen(1280, 1024);
    EXPECT_EQ(ClampPlacement({1500, 10, 600, 400, false}, screen), QPoint(680, 10));
    EXPECT_EQ(ClampPlacement({-20, -5, 600, 400, false}, screen), QPoint(0, 0));
    EXPECT_EQ(ClampPlacement({100, 900, 600, 400, false}, screen), QPoint(100, 624));
    // A window larger than the screen counts as screen-sized: it lands at the origin.
    EXPECT_EQ(ClampPlacement({300, 300, 2000, 1500, false}, screen), QPoint(0, 0));
    EXPECT_EQ(ClampPlacement({100, 100, 600, 400, false}, screen), QPoint(100, 100));
}

TEST(Placement, LoadMovesWithoutResizingAndSaveWritesItsKeys) {
    QTemporaryDir dir;
    const QString file = dir.filePath("system.dat");
    {
        QFile out(file);
        out.open(QIODevice::WriteOnly);
        // The offscreen screen is 800 pixels wide.
        out.write("[FormLog]\nx=700\ny=-20\nwidth=300\nheight=200\nmaximized=0\n");
    }
    QWidget window;
    window.resize(320, 240);
    LoadPlacement("formlog", &window, file);
    EXPECT_EQ(window.pos(), QPoint(500, 0));
    EXPECT_EQ(window.size(), QSize(320, 240));

    // A missing section keeps the window where it is.
    window.move(40, 50);
    LoadPlacement("Form", &window, file);
    EXPECT_EQ(window.pos(), QPoint(40, 50));

    SavePlacement("Form", &window, file);
    QFile in(file);
    in.open(QIODevice::ReadOnly);
    const QString text = QString::fromUtf8(in.readAll());
    EXPECT_TRUE(text.endsWith("[Form]\nx=40\ny=50\nheight=240\nwidth=320\nmaximized=0\n"))
        << qPrintable(text);
}
