#pragma once

#include "convert/FormatCatalog.h"
#include "frontend/GlobalVars.h"
#include "frontend/WizardWidgets.h"

#include <QObject>
#include <array>

class QStackedWidget;
class TImageComboBox;

// The format page: the class and format buttons, each format's preset list stacked
// with the others of its class, and the choice shown from and taken into the settings.
class TFormatPage : public QObject {
    Q_OBJECT
public:
    TFormatPage(const TFormatPageWidgets& widgets, TGlobalVars& globals, QObject* parent = nullptr);

    // The window's EnterFormatPage: presses the stored class and format buttons and
    // selects every stored preset.
    void ShowSelection();
    // The window's LeaveFormatPage: the selected preset of every list.
    void TakeSelection();

    void ButtonToFormatVideoClick() { ClassButtonClick(fcVideo); }
    void ButtonToFormatDeviceClick() { ClassButtonClick(fcDevice); }
    void ButtonToFormatAudioClick() { ClassButtonClick(fcAudio); }
    // The click of a format button (ButtonFormatWAVClick, ButtonFormatMP3Click, ...).
    void ButtonFormatClick(TFormatId format);

    // ImageComboBoxWAVPresets, ... by TFormatId.
    TImageComboBox* PresetList(TFormatId format) const { return presetLists_[format]; }
    // The list in front on a class page.
    TImageComboBox* FrontPresetList(TFormatClass formatClass) const;

private:
    void ClassButtonClick(TFormatClass formatClass);
    void CreatePresetLists();

    const TFormatPageWidgets& widgets_;
    TGlobalVars& globals_;
    std::array<QStackedWidget*, kFormatClassCount> stacks_{};
    std::array<TImageComboBox*, kFormatCount> presetLists_{};
};
