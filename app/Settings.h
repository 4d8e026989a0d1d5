#pragma once

#include "frontend/GlobalVars.h"

#include <QString>

inline constexpr const char* kSettingsFileName = "system.dat";
inline constexpr const char* kSettingsSection = "System";

// The settings folder + "system.dat".
QString SettingsFilePath(const TGlobalVars& vars);

// The fixed start-up defaults: presets, sound/shutdown flags and the YouTube
// quality preferences. Folders and the class/format seeds are set by their owners.
void SetSettingsDefaults(TGlobalVars& vars);

// Reads section System into vars, each key defaulting to the value in memory, and
// returns true. When the file does not exist, writes it with the values in memory
// and returns false (a write that fails then is reported at the next save).
bool LoadSettings(TGlobalVars& vars, const QString& filePath);

// Writes every key of section System in order, keeping the file's other lines.
// Throws std::runtime_error with the system's error text when it cannot be written.
void SaveSettings(const TGlobalVars& vars, const QString& filePath);
