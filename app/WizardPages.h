#pragma once

#include "SlideGrid.h"

#include <QLabel>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QTreeWidget;
class TFormMain;

// A label that reports clicks (the summary pages' "Open folder" links, the mode images).
class TClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// The widgets of the wizard's pages, named as designed. The pages themselves (and the
// mode images, the format page's class and format buttons and the finish titles) are
// the main window's; these are placed on them. Contents that the conversion and
// download pages fill in later start here as bare named widgets.
struct TWizardPages {
    // TabSheetMode
    QRadioButton* RadioButtonDownloadVideo = nullptr;
    QRadioButton* RadioButtonConvertVideo = nullptr;
    // TabSheetStep1
    TSlideGrid* NextGrid = nullptr;
    // TabSheetStep2
    QLineEdit* EditOutputDir = nullptr;
    QPushButton* ButtonSelectDir = nullptr;
    // TabSheetStep3
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
    // TabSheetStep4
    QLabel* LabelFinishTotalFiles = nullptr;
    QLabel* LabelFinishSuccessed = nullptr;
    QLabel* LabelFinishFailed = nullptr;
    TClickLabel* LabelOpenFolder = nullptr;
    QPlainTextEdit* MemoErrorLog = nullptr;
    // TabSheetStep5
    QTreeWidget* ListViewInputURL = nullptr;
    QLineEdit* EditURLOutput = nullptr;
    QPushButton* ButtonURLSelect = nullptr;
    QGroupBox* GroupBoxYouTubeQuality = nullptr;
    QCheckBox* CheckBoxYouTubeQuality = nullptr;
    QPushButton* ButtonYouTubeQualityConfig = nullptr;
    QLabel* LabelYouTubeQuality = nullptr;
    // TabSheetStep6
    QTreeWidget* ListViewURLDownload = nullptr;
    QLabel* LabelURLCurrentFile = nullptr;
    QLabel* LabelURLStatus = nullptr;
    QLabel* LabelSpeed = nullptr;
    QLabel* LabelURLElapsedTime = nullptr;
    QLabel* LabelURLTimeLeft = nullptr;
    QLabel* LabelQuality = nullptr;
    QProgressBar* ProgressBarDownload = nullptr;
    QLabel* LabelProgressBarDownload = nullptr;
    // TabSheetStep7
    QLabel* LabelURLTotalFiles = nullptr;
    QLabel* LabelURLSucedded = nullptr;
    QLabel* LabelURLFailed = nullptr;
    TClickLabel* LabelURLOpenFolder = nullptr;
    QPushButton* ButtonConvertDownloaded = nullptr;
};

// Creates the page widgets on the main window's pages.
TWizardPages BuildWizardPages(TFormMain& form);
