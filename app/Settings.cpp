#include "Settings.h"

#include "IniFile.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace {

enum class TKeyType { ktText, ktByte, ktPreset, ktFlag, ktPrefer };

// One key of section System. Which member or array slot it holds depends on Type.
struct TSettingKey {
    const char* Key;
    TKeyType Type;
    QString TGlobalVars::*Text;
    uint8_t TGlobalVars::*Byte;
    bool TGlobalVars::*Flag;
    int Slot;    // preset slot or PreferYouTube entry
    int Default; // fixed start-up default of presets, flags and preferences
};

constexpr TSettingKey Text(const char* key, QString TGlobalVars::*field) {
    return {key, TKeyType::ktText, field, nullptr, nullptr, 0, 0};
}
constexpr TSettingKey Byte(const char* key, uint8_t TGlobalVars::*field) {
    return {key, TKeyType::ktByte, nullptr, field, nullptr, 0, 0};
}
constexpr TSettingKey Preset(const char* key, TPresetSlot slot, int defaultValue) {
    return {key, TKeyType::ktPreset, nullptr, nullptr, nullptr, slot, defaultValue};
}
constexpr TSettingKey Flag(const char* key, bool TGlobalVars::*field, bool defaultValue) {
    return {key, TKeyType::ktFlag, nullptr, nullptr, field, 0, defaultValue ? 1 : 0};
}
constexpr TSettingKey Prefer(const char* key, int entry, int defaultValue) {
    return {key, TKeyType::ktPrefer, nullptr, nullptr, nullptr, entry, defaultValue};
}

// Section System in the order the keys are written.
const TSettingKey kKeys[] = {
    Text("LastOpenDir", &TGlobalVars::LastOpenDir),
    Text("OutputFileDir", &TGlobalVars::OutputFileDir),
    Text("OutputURLDir", &TGlobalVars::OutputURLDir),
    Byte("OutputFormatClass", &TGlobalVars::OutputFormatClass),
    Byte("OutputAudioFormat", &TGlobalVars::OutputAudioFormat),
    Byte("OutputVideoFormat", &TGlobalVars::OutputVideoFormat),
    Byte("OutputDeviceFormat", &TGlobalVars::OutputDeviceFormat),
    Preset("OutputWAVPreset", psWAV, 3),
    Preset("OutputMP3Preset", psMP3, 2),
    Preset("OutputWMAPreset", psWMA, 1),
    Preset("OutputOGGPreset", psOGG, 3),
    Preset("OutputM4APreset", psM4A, 0),
    Preset("OutputAACPreset", psAAC, 3),
    Preset("OutputFLACPreset", psFLAC, 5),
    Preset("OutputMP2Preset", psMP2, 0),
    Preset("OutputAVIPreset", psAVI, 3),
    Preset("OutputMP4Preset", psMP4, 3),
    Preset("OutputFLVPreset", psFLV, 1),
    Preset("OutputSWFPreset", psSWF, 1),
    Preset("OutputMPEGPreset", psMPEG, 5),
    Preset("OutputRMPreset", psRM, 1),
    Preset("OutputWMVPreset", psWMV, 16),
    Preset("OutputMOVPreset", psMOV, 7),
    Preset("Output3GPPreset", ps3GP, 2),
    Preset("OutputiPodPreset", psiPod, 5),
    Preset("OutputiPhonePreset", psiPhone, 1),
    Preset("OutputAppleTVPreset", psAppleTV, 1),
    Preset("OutputPSPPreset", psPSP, 1),
    Preset("OutputBlackBerryPreset", psBlackBerry, 1),
    Preset("OutputMobilePhonePreset", psMobilePhone, 1),
    Preset("OutputiPadPreset", psiPad, 0),
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

std::string ToStd(const QString& text) {
    return text.toStdString();
}

} // namespace

QString SettingsFilePath(const TGlobalVars& vars) {
    return vars.SettingsDir + kSettingsFileName;
}

void SetSettingsDefaults(TGlobalVars& vars) {
    for (const TSettingKey& key : kKeys) {
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
    for (const TSettingKey& key : kKeys) {
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
    for (const TSettingKey& key : kKeys) {
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
