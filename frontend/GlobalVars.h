#pragma once

#include "convert/FormatCatalog.h"

#include <QString>
#include <QStringList>
#include <array>
#include <chrono>
#include <cstdint>

inline constexpr int kPreferYouTubeCount = 8;

// The one application-wide state record. It starts zero-filled; the main window
// sets the edition's and the settings' values at start-up.
struct TGlobalVars {
    bool DownloadMode = false; // edition key Download
    QString SettingsDir;       // ends with the path separator
    QString LastOpenDir;
    QStringList ErrorList;   // the conversion run's error lines
    QStringList FailedFiles; // files that failed to load
    int32_t FilesInRun = 0;
    int32_t FilesConverted = 0;
    QString OutputFileDir;
    QString OutputURLDir;
    uint8_t OutputFormatClass = fcVideo;
    uint8_t OutputAudioFormat = 0;
    uint8_t OutputVideoFormat = 0;
    uint8_t OutputDeviceFormat = 0;
    std::array<int32_t, kFormatCount> Presets{}; // by TFormatId
    std::chrono::steady_clock::time_point RunStartTime{};
    int64_t ProcessedDurationUs = 0;
    int64_t TotalDurationUs = 0;
    bool PlayASoundWhenFinished = false;
    bool ShutDownWhenFinished = false;
    int32_t CurrentDownloadRow = 0;
    int32_t LinksInRun = 0;
    int32_t LinksDownloaded = 0;
    QStringList DownloadedFiles;
    int32_t CurrentQualitySlot = 0;
    bool PreferYouTubeQuality = false;
    std::array<uint8_t, kPreferYouTubeCount> PreferYouTube{};
    bool JoinMode = false; // edition key Merge
};
