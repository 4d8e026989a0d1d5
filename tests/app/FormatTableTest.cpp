// The format catalogue is the one home of each format's file keys, slot and default: the
// edition reader, the settings and the state record's preset slots all follow it, and
// edition and settings files written before still read the same.

#include "app/EditionFile.h"
#include "app/Settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The keys and defaults as the program has always written them, in the settings' order.
struct TFileRow {
    TFormatId Id;
    const char* EditionKey;
    const char* SettingsKey;
    int Default;
};

// clang-format off
constexpr TFileRow kWrittenToday[] = {
    {fmtWAV, "WAV", "OutputWAVPreset", 3},          {fmtMP3, "MP3", "OutputMP3Preset", 2},
    {fmtWMA, "WMA", "OutputWMAPreset", 1},          {fmtOGG, "OGG", "OutputOGGPreset", 3},
    {fmtM4A, "M4A", "OutputM4APreset", 0},          {fmtAAC, "AAC", "OutputAACPreset", 3},
    {fmtFLAC, "FLAC", "OutputFLACPreset", 5},       {fmtMP2, "MP2", "OutputMP2Preset", 0},
    {fmtAVI, "AVI", "OutputAVIPreset", 3},          {fmtMP4, "MP4", "OutputMP4Preset", 3},
    {fmtFLV, "FLV", "OutputFLVPreset", 1},          {fmtSWF, "SWF", "OutputSWFPreset", 1},
    {fmtMPEG, "MPEG", "OutputMPEGPreset", 5},       {fmtRM, "RM", "OutputRMPreset", 1},
    {fmtWMV, "WMV", "OutputWMVPreset", 16},         {fmtMOV, "MOV", "OutputMOVPreset", 7},
    {fmt3GP, "3GP", "Output3GPPreset", 2},          {fmtiPod, "IPOD", "OutputiPodPreset", 5},
    {fmtiPhone, "IPHONE", "OutputiPhonePreset", 1}, {fmtAppleTV, "APPLETV", "OutputAppleTVPreset", 1},
    {fmtPSP, "PSP", "OutputPSPPreset", 1},          {fmtBlackBerry, "BLACKBERRY", "OutputBlackBerryPreset", 1},
    {fmtMobilePhone, "MOBILEPHONE", "OutputMobilePhonePreset", 1},
    {fmtiPad, "IPAD", "OutputiPadPreset", 0},
};
// clang-format on

class FormatTable : public ::testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& text) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(text);
        return path;
    }

    QTemporaryDir dir_;
};

} // namespace

TEST_F(FormatTable, EveryFormatsEditionKeyOffersExactlyItsSlot) {
    ASSERT_EQ(std::size(kWrittenToday), static_cast<size_t>(kFormatCount));
    for (const TFileRow& row : kWrittenToday) {
        SCOPED_TRACE(row.EditionKey);
        EXPECT_EQ(FormatInfo(row.Id).EditionKey, row.EditionKey);
        const QString path = Write("lame.dll", QByteArray("[SYSTEM]\n") + row.EditionKey + "=1\n");
        const TEditionProfile edition = ReadEditionFile(path.toStdString());
        for (const TFormatInfo& format : AllFormats())
            EXPECT_EQ(edition.Offered[format.Id], format.Id == row.Id) << format.Name;
    }
}

TEST_F(FormatTable, EveryFormatsSettingsKeyDefaultAndSlotAgreeWithASettingsFileWrittenBefore) {
    TGlobalVars defaults;
    SetSettingsDefaults(defaults);
    QByteArray written = "[System]\n";
    for (size_t i = 0; i < std::size(kWrittenToday); ++i) {
        const TFileRow& row = kWrittenToday[i];
        SCOPED_TRACE(row.SettingsKey);
        const TFormatInfo& format = FormatInfo(row.Id);
        EXPECT_EQ(format.SettingsKey, row.SettingsKey);
        EXPECT_EQ(format.SettingsPosition, static_cast<int>(i));
        EXPECT_EQ(format.DefaultPreset, row.Default);
        EXPECT_EQ(defaults.Presets[row.Id], row.Default);
        written += QByteArray(row.SettingsKey) + "=" + QByteArray::number(100 + static_cast<int>(i)) + "\n";
    }
    TGlobalVars vars = defaults;
    ASSERT_TRUE(LoadSettings(vars, Write("system.dat", written)));
    for (size_t i = 0; i < std::size(kWrittenToday); ++i)
        EXPECT_EQ(vars.Presets[kWrittenToday[i].Id], 100 + static_cast<int>(i))
            << kWrittenToday[i].SettingsKey;
}
