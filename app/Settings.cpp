#include "app/Settings.h"

#include "support/IniFile.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace {

enum class TKeyType { ktText, ktByte, ktPreset, ktFlag, ktPrefer };

// One key of section System. Which member or array slot it holds depends on Type.
struct TSettingKey {
    std::string Key;
    TKeyType Type;
    QString TGlobalVars::*Text = nullptr;
    uint8_t TGlobalVars::*Byte = nullptr;
    bool TGlobalVars::*Flag = nullptr;
    int Slot = 0;    // preset slot (TFormatId) or PreferYouTube entry
    int Default = 0; // fixed start-up default of presets, flags and preferences
};

TSettingKey Text(const char* key, QString TGlobalVars::*field) {
    return {key, TKeyType::ktText, field};
}
TSettingKey Byte(const char* key, uint8_t TGlobalVars::*field) {
    return {key, TKeyType::ktByte, nullptr, field};
}
TSettingKey Flag(const char* key, bool TGlobalVars::*field, bool defaultValue) {
    return {key, TKeyType::ktFlag, nullptr, nullptr, field, 0, defaultValue ? 1 : 0};
}
TSettingKey Prefer(const char* key, int entry, int defaultValue) {
    return {key, TKeyType::ktPrefer, nullptr, nullptr, nullptr, entry, defaultValue};
}

// Section System in the order the keys are written; the preset keys, their order and
// defaults come from the format catalogue.
std::vector<TSettingKey> MakeKeys() {
    std::vector<TSettingKey> keys = {
        Text("LastOpenDir", &TGlobalVars::LastOpenDir),
        Text("OutputFileDir", &TGlobalVars::OutputFileDir),
        Text("OutputURLDir", &TGlobalVars::OutputURLDir),
        Byte("OutputFormatClass", &TGlobalVars::OutputFormatClass),
        Byte("OutputAudioFormat", &TGlobalVars::OutputAudioFormat),
        Byte("OutputVideoFormat", &TGlobalVars::OutputVideoFormat),
        Byte("OutputDeviceFormat", &TGlobalVars::OutputDeviceFormat),
    };
    std::vector<TSettingKey> presets(kFormatCount);
    for (const TFormatInfo& format : AllFormats())
        presets[format.SettingsPosition] = {std::string(format.SettingsKey),
                                            TKeyType::ktPreset,
                                            nullptr,
                                            nullptr,
                                            nullptr,
                                            format.Id,
                                            format.DefaultPreset};
    keys.insert(keys.end(), presets.begin(), presets.end());
    const TSettingKey tail[] = {
        Flag("PlayASoundWhenFinished", &TGlobalVars::PlayASoundWhenFinished, false),
        Flag("ShutDownWhenFinished", &TGlobalVars::ShutDownWhenFinished, false),
        Flag("PreferYouTubeQuality", &TGlobalVars::PreferYouTubeQuality, true),
        Prefer("PreferYouTube1", 0, 1),
        Prefer("PreferYouTube2", 1, 2),
        Prefer("PreferYouTube3", 2, 3),
        Prefer("PreferYouTube4", 3, 0),
        Prefer("PreferYouTube5", 4, 4),
        Prefer("PreferYouTube6", 5, 5),
        Prefer("PreferYouTube7", 6, 6),
        Prefer("PreferYouTube18", 7, 7),
    };
    keys.insert(keys.end(), std::begin(tail), std::end(tail));
    return keys;
}

const std::vector<TSettingKey>& Keys() {
    static const std::vector<TSettingKey> keys = MakeKeys();
    return keys;
}

std::string ToStd(const QString& text) {
    return text.toStdString();
}

} // namespace

QString SettingsFilePath(const TGlobalVars& vars) {
    return vars.SettingsDir + kSettingsFileName;
}

void SetSettingsDefaults(TGlobalVars& vars) {
    for (const TSettingKey& key : Keys()) {
        switch (key.Type) {
        case TKeyType::ktPreset:
            vars.Presets[key.Slot] = key.Default;
            break;
        case TKeyType::ktFlag:
            vars.*key.Flag = key.Default != 0;
            break;
        case TKeyType::ktPrefer:
            vars.PreferYouTube[key.Slot] = static_cast<uint8_t>(key.Default);
            break;
        case TKeyType::ktText:
        case TKeyType::ktByte:
            break;
        }
    }
}

bool LoadSettings(TGlobalVars& vars, const QString& filePath) {
    std::error_code ec;
    if (!std::filesystem::exists(ToStd(filePath), ec)) {
        try {
            SaveSettings(vars, filePath);
        } catch (const std::runtime_error&) {
            // An unwritable folder is reported when the settings are saved at close.
        }
        return false;
    }
    const TIniFile ini(ToStd(filePath));
    const char* s = kSettingsSection;
    for (const TSettingKey& key : Keys()) {
        switch (key.Type) {
        case TKeyType::ktText:
            vars.*key.Text = QString::fromStdString(ini.ReadString(s, key.Key, ToStd(vars.*key.Text)));
            break;
        case TKeyType::ktByte:
            vars.*key.Byte = static_cast<uint8_t>(ini.ReadInteger(s, key.Key, vars.*key.Byte) & 0xFF);
            break;
        case TKeyType::ktPreset:
            vars.Presets[key.Slot] = ini.ReadInteger(s, key.Key, vars.Presets[key.Slot]);
            break;
        case TKeyType::ktFlag:
            vars.*key.Flag = ini.ReadBool(s, key.Key, vars.*key.Flag);
            break;
        case TKeyType::ktPrefer:
            vars.PreferYouTube[key.Slot] =
                static_cast<uint8_t>(ini.ReadInteger(s, key.Key, vars.PreferYouTube[key.Slot]) & 0xFF);
            break;
        }
    }
    return true;
}

void SaveSettings(const TGlobalVars& vars, const QString& filePath) {
    TIniFile ini(ToStd(filePath));
    const char* s = kSettingsSection;
    for (const TSettingKey& key : Keys()) {
        switch (key.Type) {
        case TKeyType::ktText:
            ini.WriteString(s, key.Key, ToStd(vars.*key.Text));
            break;
        case TKeyType::ktByte:
            ini.WriteInteger(s, key.Key, vars.*key.Byte);
            break;
        case TKeyType::ktPreset:
            ini.WriteInteger(s, key.Key, vars.Presets[key.Slot]);
            break;
        case TKeyType::ktFlag:
            ini.WriteBool(s, key.Key, vars.*key.Flag);
            break;
        case TKeyType::ktPrefer:
            ini.WriteInteger(s, key.Key, vars.PreferYouTube[key.Slot]);
            break;
        }
    }
    ini.UpdateFile();
}
