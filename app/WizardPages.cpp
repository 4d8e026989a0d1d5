#include "app/WizardPages.h"

#include "app/EditionFile.h"
#include "app/FormMain.h"
#include "frontend/ClickLabel.h"
#include "ui/ImageButton.h"
#include "ui/PageControl.h"
#include "ui/ReportList.h"
#include "ui/SlideGrid.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTreeWidget>

namespace {

// The input list keeps seventeen columns; later pages read them by index.
constexpr int kInputColumns = 17;
constexpr QRect kFormatPagesBounds(12, 172, 527, 240);
constexpr QSize kFormatButtonSize(62, 57);
constexpr QSize kClassButtonSize(167, 30);

template <class W, class... Args> W* place(QWidget* page, const char* name, QRect bounds, Args&&... args) {
    auto* widget = new W(std::forward<Args>(args)..., page);
    widget->setObjectName(name);
    widget->setGeometry(bounds);
    return widget;
}

QLabel* caption(QWidget* page, const QString& text, QRect bounds) {
    auto* label = new QLabel(text, page);
    label->setGeometry(bounds);
    return label;
}

QTreeWidget* reportList(QWidget* page, const char* name, QRect bounds, const QStringList& columns,
                        const QList<int>& widths) {
    auto* list = place<QTreeWidget>(page, name, bounds);
    list->setRootIsDecorated(false);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setHeaderLabels(columns);
    for (int i = 0; i < widths.size(); ++i)
        list->setColumnWidth(i, widths[i]);
    return list;
}

// A link-styled label that opens a folder.
TClickLabel* folderLink(QWidget* page, const char* name, QRect bounds) {
    auto* link = place<TClickLabel>(page, name, bounds, "Open folder");
    link->setCursor(Qt::PointingHandCursor);
    QFont font = link->font();
    font.setUnderline(true);
    link->setFont(font);
    link->setStyleSheet("color: #0645ad");
    return link;
}

void buildModePage(TFormMain& form, TModePageWidgets& p, QSize size) {
    QWidget* page = form.TabSheetMode;
    const int width = size.width() - 88;
    p.RadioButtonDownloadVideo =
        place<QRadioButton>(page, "RadioButtonDownloadVideo", {44, size.height() - 110, width, 24},
                            "Download video from YouTube");
    p.RadioButtonConvertVideo =
        place<QRadioButton>(page, "RadioButtonConvertVideo", {44, size.height() - 80, width, 24},
                            "Convert audio/video (previously downloaded) from file");
    p.RadioButtonDownloadVideo->setChecked(true);
}

void buildFilesPage(TFormMain& form, TInputPageWidgets& p, QSize size) {
    // The commands in one row under the list, sharing the page's width; captions come
    // from their actions.
    constexpr int kRowHeight = 26, kGap = 6;
    QPushButton* TInputPageWidgets::*const commands[] = {
        &TInputPageWidgets::ButtonAdd,    &TInputPageWidgets::ButtonDelete,   &TInputPageWidgets::ButtonClear,
        &TInputPageWidgets::ButtonMoveUp, &TInputPageWidgets::ButtonMoveDown, &TInputPageWidgets::ButtonPlay};
    const char* const names[] = {"ButtonAdd",    "ButtonDelete",   "ButtonClear",
                                 "ButtonMoveUp", "ButtonMoveDown", "ButtonPlay"};
    const int count = static_cast<int>(std::size(commands));
    const int width = (size.width() - (count - 1) * kGap) / count;
    const int top = size.height() - kRowHeight;
    p.NextGrid =
        place<TSlideGrid>(form.TabSheetStep1, "NextGrid", {0, 0, size.width(), top - kGap}, 0, kInputColumns);
    p.NextGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    p.NextGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    p.NextGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int i = 0; i < count; ++i)
        p.*commands[i] =
            place<QPushButton>(form.TabSheetStep1, names[i], {i * (width + kGap), top, width, kRowHeight});
}

// An image button that stays pressed until another of its group is pressed.
TImageButton* choiceButton(QWidget* page, const QString& name, const QString& text, QSize size) {
    auto* button = new TImageButton(page);
    button->setObjectName(name);
    button->setText(text);
    button->resize(size);
    button->setCheckable(true);
    return button;
}

QWidget* formatClassPage(TPageControl* control, const char* name, const QString& caption) {
    auto* page = new QWidget;
    page->setObjectName(QLatin1String(name));
    return control->AddPage(page, caption);
}

void buildFormatPage(TFormMain& form, TFormatPageWidgets& p, QSize size) {
    QWidget* page = form.TabSheetStep2;
    p.RzPageControlToFormat = new TPageControl(page);
    p.RzPageControlToFormat->setObjectName(QStringLiteral("RzPageControlToFormat"));
    p.RzPageControlToFormat->SetBounds(kFormatPagesBounds.x(), kFormatPagesBounds.y(),
                                       kFormatPagesBounds.width(), kFormatPagesBounds.height());
    p.TabSheetToFormatVideo = formatClassPage(p.RzPageControlToFormat, "TabSheetToFormatVideo", "Video");
    p.TabSheetToFormatDevice = formatClassPage(p.RzPageControlToFormat, "TabSheetToFormatDevice", "Device");
    p.TabSheetToFormatAudio = formatClassPage(p.RzPageControlToFormat, "TabSheetToFormatAudio", "Audio");

    p.ButtonToFormatVideo = choiceButton(page, "ButtonToFormatVideo", "Video", kClassButtonSize);
    p.ButtonToFormatDevice = choiceButton(page, "ButtonToFormatDevice", "Device", kClassButtonSize);
    p.ButtonToFormatAudio = choiceButton(page, "ButtonToFormatAudio", "Audio", kClassButtonSize);
    const auto classPages = p.ClassPages();
    for (const TFormatInfo& format : AllFormats()) {
        const QString name = QString::fromLatin1(format.Name.data(), format.Name.size());
        p.FormatButtons[format.Id] = choiceButton(
            classPages[format.Class], QStringLiteral("ButtonFormat") + name, name, kFormatButtonSize);
    }

    const int top = size.height() - 58;
    caption(page, "Output directory:", {18, top, 200, 18});
    p.EditOutputDir = place<QLineEdit>(page, "EditOutputDir", {18, top + 20, size.width() - 130, 24});
    p.ButtonSelectDir =
        place<QPushButton>(page, "ButtonSelectDir", {size.width() - 104, top + 19, 86, 26}, "Select...");
}

void buildConvertingPage(TFormMain& form, TConversionPageWidgets& p, QSize size) {
    QWidget* page = form.TabSheetStep3;
    const int w = size.width();
    p.ListViewConverting =
        reportList(page, "ListViewConverting", {0, 0, w, 190},
                   {"Name", "Duration", "Status", "Progress", "Path"}, {240, 80, 95, 95, 300});
    FitReportColumns(p.ListViewConverting);
    p.LabelCurrentFileTitle =
        place<QLabel>(page, "LabelCurrentFileTitle", {8, 200, 110, 18}, "Current file:");
    p.LabelCurrentFile = place<QLabel>(page, "LabelCurrentFile", {120, 200, w - 128, 18}, "...");
    caption(page, "Estimated overall time:", {8, 222, 150, 18});
    p.LabelEstimated = place<QLabel>(page, "LabelEstimated", {160, 222, 100, 18}, "...");
    caption(page, "Elapsed time:", {8, 242, 150, 18});
    p.LabelElapsed = place<QLabel>(page, "LabelElapsed", {160, 242, 100, 18}, "...");
    caption(page, "Time left:", {8, 262, 150, 18});
    p.LabelTimeLeft = place<QLabel>(page, "LabelTimeLeft", {160, 262, 100, 18}, "...");
    caption(page, "Overall Progress:", {8, 286, 150, 18});
    p.ProgressBar = place<QProgressBar>(page, "ProgressBar", {8, 306, w - 70, 18});
    p.ProgressBar->setRange(0, 100);
    p.ProgressBar->setTextVisible(false);
    p.LabelProgress = place<QLabel>(page, "LabelProgress", {w - 56, 306, 50, 18}, "0%");

    auto* options = place<QGroupBox>(page, "GroupBoxPostProgress", {0, 334, w, 76}, "Post-Progress Options");
    p.CheckBoxPlayASound = place<QCheckBox>(options, "CheckBoxPlayASound", {10, 20, w - 20, 20},
                                            "&Play a sound when conversion is finished");
    p.CheckBoxShutdown = place<QCheckBox>(options, "CheckBoxShutdown", {10, 44, w - 20, 20},
                                          "&Shut down the computer after all tasks are finished");
    p.CheckBoxPreview = place<QCheckBox>(page, "CheckBoxPreview", {w - 90, 200, 80, 18}, "Preview");
}

// Rows of "Total files:", "Successed:", "Failed:" with their count labels.
void summaryCounts(QWidget* page, int top, QLabel*& total, const char* totalName, QLabel*& ok,
                   const char* okName, QLabel*& failed, const char* failedName) {
    caption(page, "Summary", {40, top, 200, 18})->setStyleSheet("font-weight: bold");
    caption(page, "Total files:", {60, top + 24, 100, 18});
    total = place<QLabel>(page, totalName, {170, top + 24, 80, 18}, "0");
    caption(page, "Successed:", {60, top + 44, 100, 18});
    ok = place<QLabel>(page, okName, {170, top + 44, 80, 18}, "0");
    caption(page, "Failed:", {60, top + 64, 100, 18});
    failed = place<QLabel>(page, failedName, {170, top + 64, 80, 18}, "0");
}

void buildConversionSummaryPage(TFormMain& form, TConversionSummaryWidgets& p, QSize size) {
    QWidget* page = form.TabSheetStep4;
    summaryCounts(page, 110, p.LabelFinishTotalFiles, "LabelFinishTotalFiles", p.LabelFinishSuccessed,
                  "LabelFinishSuccessed", p.LabelFinishFailed, "LabelFinishFailed");
    p.LabelOpenFolder = folderLink(page, "LabelOpenFolder", {60, 200, 120, 18});
    p.MemoErrorLog =
        place<QPlainTextEdit>(page, "MemoErrorLog", {20, 230, size.width() - 40, size.height() - 240});
    p.MemoErrorLog->setReadOnly(true);
    p.MemoErrorLog->setVisible(false);
}

void buildLinksPage(TFormMain& form, TLinkPageWidgets& p, QSize size) {
    QWidget* page = form.TabSheetStep5;
    const int w = size.width();
    auto* input = place<QGroupBox>(page, "GroupBoxInputURL", {0, 0, w, 230}, " Input URLs ");
    p.ListViewInputURL = reportList(input, "ListViewInputURL", {8, 20, w - 120, 202}, {"Videos"}, {390});
    p.ListViewInputURL->setHeaderHidden(true);
    p.ListViewInputURL->setSelectionMode(QAbstractItemView::SingleSelection);
    p.ButtonURLPaste = place<QPushButton>(input, "ButtonURLPaste", {w - 104, 20, 94, 26}, "&Paste");
    p.ButtonURLRemove = place<QPushButton>(input, "ButtonURLRemove", {w - 104, 52, 94, 26}, "&Remove");
    p.ButtonURLEmpty = place<QPushButton>(input, "ButtonURLEmpty", {w - 104, 84, 94, 26}, "&Empty");

    auto* setup = place<QGroupBox>(page, "GroupBoxSetup", {0, 236, w, 70}, " Setup ");
    caption(setup, "Output directory:", {8, 20, 200, 18});
    p.EditURLOutput = place<QLineEdit>(setup, "EditURLOutput", {8, 38, w - 120, 24});
    p.ButtonURLSelect = place<QPushButton>(setup, "ButtonURLSelect", {w - 104, 37, 94, 26}, "Select...");

    p.GroupBoxYouTubeQuality = place<QGroupBox>(page, "GroupBoxYouTubeQuality", {0, 312, w, 80}, " Quality ");
    p.CheckBoxYouTubeQuality = place<QCheckBox>(p.GroupBoxYouTubeQuality, "CheckBoxYouTubeQuality",
                                                {8, 20, 260, 20}, "Prefer YouTube high quality");
    p.ButtonYouTubeQualityConfig = place<QPushButton>(p.GroupBoxYouTubeQuality, "ButtonYouTubeQualityConfig",
                                                      {w - 104, 18, 94, 26}, "Config...");
    p.LabelYouTubeQuality = place<QLabel>(p.GroupBoxYouTubeQuality, "LabelYouTubeQuality",
                                          {8, 48, w - 16, 20}, "[Defatult Quality - HQ5]");
}

void buildDownloadingPage(TFormMain& form, TDownloadPageWidgets& p, QSize size) {
    QWidget* page = form.TabSheetStep6;
    const int w = size.width();
    p.ListViewURLDownload =
        reportList(page, "ListViewURLDownload", {0, 0, w, 220},
                   {"Name", "Status", "Size", "Speed", "Progress", "URL"}, {200, 90, 70, 90, 60, 200});
    FitReportColumns(p.ListViewURLDownload);
    struct Row {
        const char* title;
        QLabel* TDownloadPageWidgets::*label;
        const char* name;
    };
    const Row rows[] = {
        {"Current file:", &TDownloadPageWidgets::LabelURLCurrentFile, "LabelURLCurrentFile"},
        {"Status:", &TDownloadPageWidgets::LabelURLStatus, "LabelURLStatus"},
        {"Speed:", &TDownloadPageWidgets::LabelSpeed, "LabelSpeed"},
        {"Elapsed time:", &TDownloadPageWidgets::LabelURLElapsedTime, "LabelURLElapsedTime"},
        {"Time left:", &TDownloadPageWidgets::LabelURLTimeLeft, "LabelURLTimeLeft"},
        {"Quality:", &TDownloadPageWidgets::LabelQuality, "LabelQuality"},
    };
    int top = 230;
    for (const Row& row : rows) {
        caption(page, row.title, {8, top, 100, 18});
        p.*row.label = place<QLabel>(page, row.name, {110, top, w - 118, 18}, "...");
        top += 20;
    }
    p.ProgressBarDownload = place<QProgressBar>(page, "ProgressBarDownload", {8, top + 8, w - 70, 18});
    p.ProgressBarDownload->setRange(0, 100);
    p.ProgressBarDownload->setTextVisible(false);
    p.LabelProgressBarDownload =
        place<QLabel>(page, "LabelProgressBarDownload", {w - 56, top + 8, 50, 18}, "0%");
}

void buildDownloadSummaryPage(TFormMain& form, TDownloadSummaryWidgets& p, QSize size) {
    QWidget* page = form.TabSheetStep7;
    summaryCounts(page, 110, p.LabelURLTotalFiles, "LabelURLTotalFiles", p.LabelURLSucedded,
                  "LabelURLSucedded", p.LabelURLFailed, "LabelURLFailed");
    p.LabelURLOpenFolder = folderLink(page, "LabelURLOpenFolder", {60, 200, 120, 18});
    p.ButtonConvertDownloaded =
        place<QPushButton>(page, "ButtonConvertDownloaded", {40, 240, std::min(300, size.width() - 80), 32},
                           "Convert the downloaded file(s) now! ");
}

} // namespace

TWizardPages BuildWizardPages(TFormMain& form) {
    TWizardPages pages;
    const QSize size = form.PageControlMain->PageSize();
    buildModePage(form, pages.Mode, size);
    buildFilesPage(form, pages.Input, size);
    buildFormatPage(form, pages.Format, size);
    buildConvertingPage(form, pages.Conversion, size);
    buildConversionSummaryPage(form, pages.ConversionSummary, size);
    buildLinksPage(form, pages.Links, size);
    buildDownloadingPage(form, pages.Download, size);
    buildDownloadSummaryPage(form, pages.DownloadSummary, size);
    return pages;
}
