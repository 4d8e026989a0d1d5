#pragma once

#include "convert/FormatCatalog.h"

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QWidget;
class TClickLabel;
class TImageButton;
class TPageControl;
class TSlideGrid;

// The widgets of the wizard's pages, one group per page, named as designed. The window
// creates and owns them; the page controllers are handed the groups they bind.

// TabSheetMode
struct TModePageWidgets {
    QRadioButton* RadioButtonDownloadVideo = nullptr;
    QRadioButton* RadioButtonConvertVideo = nullptr;
};

// TabSheetStep1: the input list.
struct TInputPageWidgets {
    TSlideGrid* NextGrid = nullptr;
    // The page's commands, bound to the actions of the same names.
    QPushButton* ButtonAdd = nullptr;
    QPushButton* ButtonDelete = nullptr;
    QPushButton* ButtonClear = nullptr;
    QPushButton* ButtonMoveUp = nullptr;
    QPushButton* ButtonMoveDown = nullptr;
    QPushButton* ButtonPlay = nullptr;
};

// TabSheetStep2: class buttons and their pages, every format's button, the output folder.
struct TFormatPageWidgets {
    TImageButton* ButtonToFormatVideo = nullptr;
    TImageButton* ButtonToFormatDevice = nullptr;
    TImageButton* ButtonToFormatAudio = nullptr;
    TPageControl* RzPageControlToFormat = nullptr;
    QWidget* TabSheetToFormatVideo = nullptr;
    QWidget* TabSheetToFormatDevice = nullptr;
    QWidget* TabSheetToFormatAudio = nullptr;
    std::array<TImageButton*, kFormatCount> FormatButtons{}; // ButtonFormatWAV, ... by TFormatId
    QLineEdit* EditOutputDir = nullptr;
    QPushButton* ButtonSelectDir = nullptr;

    // By TFormatClass.
    std::array<TImageButton*, kFormatClassCount> ClassButtons() const {
        return {ButtonToFormatVideo, ButtonToFormatDevice, ButtonToFormatAudio};
    }
    std::array<QWidget*, kFormatClassCount> ClassPages() const {
        return {TabSheetToFormatVideo, TabSheetToFormatDevice, TabSheetToFormatAudio};
    }
};

// TabSheetStep3: the conversion run.
struct TConversionPageWidgets {
    QTreeWidget* ListViewConverting = nullptr;
    QLabel* LabelCurrentFileTitle = nullptr;
    QLabel* LabelCurrentFile = nullptr;
    QLabel* LabelEstimated = nullptr;
    QLabel* LabelElapsed = nullptr;
    QLabel* LabelTimeLeft = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QLabel* LabelProgress = nullptr;
    QCheckBox* CheckBoxPlayASound = nullptr;
    QCheckBox* CheckBoxShutdown = nullptr;
    QCheckBox* CheckBoxPreview = nullptr;
};

// TabSheetStep4: the conversion's summary.
struct TConversionSummaryWidgets {
    QLabel* LabelFinishTotalFiles = nullptr;
    QLabel* LabelFinishSuccessed = nullptr;
    QLabel* LabelFinishFailed = nullptr;
    TClickLabel* LabelOpenFolder = nullptr;
    QPlainTextEdit* MemoErrorLog = nullptr;
};

// TabSheetStep5: the links to download, the output folder and the quality choice.
struct TLinkPageWidgets {
    QTreeWidget* ListViewInputURL = nullptr;
    QPushButton* ButtonURLPaste = nullptr;
    QPushButton* ButtonURLRemove = nullptr;
    QPushButton* ButtonURLEmpty = nullptr;
    QLineEdit* EditURLOutput = nullptr;
    QPushButton* ButtonURLSelect = nullptr;
    QGroupBox* GroupBoxYouTubeQuality = nullptr;
    QCheckBox* CheckBoxYouTubeQuality = nullptr;
    QPushButton* ButtonYouTubeQualityConfig = nullptr;
    QLabel* LabelYouTubeQuality = nullptr;
};

// TabSheetStep6: the download run.
struct TDownloadPageWidgets {
    QTreeWidget* ListViewURLDownload = nullptr;
    QLabel* LabelURLCurrentFile = nullptr;
    QLabel* LabelURLStatus = nullptr;
    QLabel* LabelSpeed = nullptr;
    QLabel* LabelURLElapsedTime = nullptr;
    QLabel* LabelURLTimeLeft = nullptr;
    QLabel* LabelQuality = nullptr;
    QProgressBar* ProgressBarDownload = nullptr;
    QLabel* LabelProgressBarDownload = nullptr;
};

// TabSheetStep7: the download's summary.
struct TDownloadSummaryWidgets {
    QLabel* LabelURLTotalFiles = nullptr;
    QLabel* LabelURLSucedded = nullptr;
    QLabel* LabelURLFailed = nullptr;
    TClickLabel* LabelURLOpenFolder = nullptr;
    QPushButton* ButtonConvertDownloaded = nullptr;
};
