#include "app/Wizard.h"

#include "app/FormMain.h"
#include "frontend/ApplicationTitle.h"
#include "frontend/ClickLabel.h"
#include "frontend/MessageDialog.h"
#include "support/PathUtils.h"
#include "ui/ImageButton.h"
#include "ui/PageControl.h"
#include "ui/SlideGrid.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <array>

namespace {

const QString kAskCancelGoBack = QStringLiteral("Are you sure to cancel and go back?");
const QString kAskCancel = QStringLiteral("Are you sure to cancel?");
const QString kAskQuit = QStringLiteral("Are you sure to quit now?");
const QString kFailCreateDir =
    QStringLiteral("Fail to create directory! Please check if output folder have the right format!");

enum class TBackRule { Disabled, Enabled, WithDownloadMode };

// What a page shows: the title label and the Next, Back and Exit actions.
struct PageTexts {
    TWizardPage page;
    const char* title; // "%s" is the application title
    const char* nextCaption;
    const char* nextCaptionJoin; // nullptr: same as nextCaption
    bool nextEnabled;
    TBackRule back;
    const char* exitCaption;
    const char* exitCaptionNoDownload; // nullptr: same as exitCaption
};

constexpr std::array<PageTexts, static_cast<int>(TWizardPage::Count)> kPageTexts = {{
    {TWizardPage::Mode, "Welcome to %s! What do you want to do?", "Next", nullptr, true, TBackRule::Disabled,
     "Exit", nullptr},
    {TWizardPage::Step1,
     "Select the videos you want to convert. Use \"Move Up\" and \"Move Down\" to change the order.", "Next",
     nullptr, true, TBackRule::WithDownloadMode, "Cancel", "Exit"},
    {TWizardPage::Step2, "Select an output mode and specify a path for the output files.", "Convert",
     "Join Now", true, TBackRule::Enabled, "Cancel", nullptr},
    {TWizardPage::Step3, "Conversion information.", "Next", nullptr, false, TBackRule::Disabled, "Cancel",
     nullptr},
    {TWizardPage::Step4, "The conversion is finished.", "Finish", nullptr, true, TBackRule::Disabled, "Exit",
     nullptr},
    {TWizardPage::Step5, "Copy a YouTube link from your browser address bar and Paste here", "Download",
     nullptr, true, TBackRule::Enabled, "Cancel", nullptr},
    {TWizardPage::Step6, "Downloading information.", "Next", nullptr, false, TBackRule::Disabled, "Cancel",
     nullptr},
    {TWizardPage::Step7, "The downloading is finished.", "Finish", nullptr, true, TBackRule::Disabled, "Exit",
     nullptr},
}};

// Actions of the window with their captions and shortcuts.
struct ActionRow {
    QAction* TWizard::*action;
    const char* name;
    const char* caption;
    QKeySequence shortcut;
};

QString withSeparator(const QString& folder) {
    return QString::fromStdString(WithTrailingBackslash(folder.toStdString()));
}

// The folder exists or was created with every missing parent.
bool folderUsable(const QString& folder) {
    return !folder.isEmpty() && QDir().mkpath(folder);
}

} // namespace

void BindButtonToAction(QAbstractButton* button, QAction* action) {
    auto sync = [button, action] {
        button->setText(action->text());
        button->setEnabled(action->isEnabled());
    };
    sync();
    QObject::connect(action, &QAction::changed, button, sync);
    QObject::connect(button, &QAbstractButton::clicked, action, &QAction::trigger);
}

TWizard::TWizard(TFormMain& form, TWizardPages& pages)
    : QObject(&form), form_(form), pages_(pages), globals_(form.Globals()), services_(form.Services()) {
    CreateActions();
    ConnectWidgets();
    ActionListUpdate();
}

void TWizard::CreateActions() {
    const ActionRow rows[] = {
        {&TWizard::ActionNext, "ActionNext", "Next", {}},
        {&TWizard::ActionBack, "ActionBack", "Back", {}},
        {&TWizard::ActionExit, "ActionExit", "Exit", QKeySequence(Qt::ALT | Qt::Key_F4)},
        {&TWizard::ActionLog, "ActionLog", "Log", {}},
        {&TWizard::ActionAdd, "ActionAdd", "&Add Video...", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {&TWizard::ActionDelete, "ActionDelete", "&Delete", QKeySequence(Qt::Key_Delete)},
        {&TWizard::ActionClear, "ActionClear", "&Clear", QKeySequence(Qt::SHIFT | Qt::Key_Delete)},
        {&TWizard::ActionMoveUp, "ActionMoveUp", "&Move Up", {}},
        {&TWizard::ActionMoveDown, "ActionMoveDown", "M&ove Down", {}},
        {&TWizard::ActionPlay, "ActionPlay", "&Play", QKeySequence(Qt::CTRL | Qt::Key_P)},
        {&TWizard::ActionURLPaste, "ActionURLPaste", "&Paste", QKeySequence(Qt::CTRL | Qt::Key_V)},
        {&TWizard::ActionURLRemove, "ActionURLRemove", "&Remove", {}},
        {&TWizard::ActionURLEmpty, "ActionURLEmpty", "&Empty", {}},
        {&TWizard::ActionURLSelect, "ActionURLSelect", "Select...", {}},
    };
    for (const ActionRow& row : rows) {
        auto* action = new QAction(row.caption, &form_);
        action->setObjectName(row.name);
        action->setShortcut(row.shortcut);
        this->*row.action = action;
        form_.addAction(action);
    }
    // Keys that edit boxes use themselves act only where their list has the focus.
    for (QAction* action : {ActionDelete, ActionClear}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        pages_.Input.NextGrid->addAction(action);
    }
    ActionURLPaste->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    pages_.Links.ListViewInputURL->addAction(ActionURLPaste);

    connect(ActionNext, &QAction::triggered, this, &TWizard::ActionNextExecute);
    connect(ActionBack, &QAction::triggered, this, &TWizard::ActionBackExecute);
    connect(ActionExit, &QAction::triggered, this, &TWizard::ActionExitExecute);
    connect(ActionLog, &QAction::triggered, this, &TWizard::ActionLogExecute);
    connect(ActionURLSelect, &QAction::triggered, this, &TWizard::ActionURLSelectExecute);
}

void TWizard::ConnectWidgets() {
    BindButtonToAction(form_.ButtonNext, ActionNext);
    BindButtonToAction(form_.ButtonBack, ActionBack);
    BindButtonToAction(form_.ButtonExit, ActionExit);
    BindButtonToAction(form_.ButtonLog, ActionLog);
    BindButtonToAction(pages_.Links.ButtonURLSelect, ActionURLSelect);
    // The pages' command buttons.
    const TInputPageWidgets& input = pages_.Input;
    for (auto [button, action] :
         {std::pair{input.ButtonAdd, ActionAdd}, std::pair{input.ButtonDelete, ActionDelete},
          std::pair{input.ButtonClear, ActionClear}, std::pair{input.ButtonMoveUp, ActionMoveUp},
          std::pair{input.ButtonMoveDown, ActionMoveDown}, std::pair{input.ButtonPlay, ActionPlay},
          std::pair{pages_.Links.ButtonURLPaste, ActionURLPaste},
          std::pair{pages_.Links.ButtonURLRemove, ActionURLRemove},
          std::pair{pages_.Links.ButtonURLEmpty, ActionURLEmpty}})
        BindButtonToAction(button, action);

    connect(form_.PageControlMain, &TPageControl::currentChanged, this, &TWizard::UpdatePageTexts);
    connect(pages_.Format.ButtonSelectDir, &QPushButton::clicked, this, &TWizard::ButtonSelectDirClick);
    connect(pages_.ConversionSummary.LabelOpenFolder, &TClickLabel::clicked, this,
            &TWizard::LabelOpenFolderClick);
    connect(pages_.DownloadSummary.LabelURLOpenFolder, &TClickLabel::clicked, this,
            &TWizard::LabelURLOpenFolderClick);
    form_.ImageDownloadVideo->installEventFilter(this);
    form_.ImageConvertVideo->installEventFilter(this);

    // The designed action list re-evaluates on idle: queued, so it runs once the grid's
    // change is complete (and never while the grid is being torn down).
    QTableWidget* grid = pages_.Input.NextGrid;
    QAbstractItemModel* rows = grid->model();
    const auto queued = Qt::QueuedConnection;
    connect(grid, &QTableWidget::itemSelectionChanged, this, &TWizard::ActionListUpdate, queued);
    connect(rows, &QAbstractItemModel::rowsInserted, this, &TWizard::ActionListUpdate, queued);
    connect(rows, &QAbstractItemModel::rowsRemoved, this, &TWizard::ActionListUpdate, queued);
    connect(rows, &QAbstractItemModel::rowsMoved, this, &TWizard::ActionListUpdate, queued);
    connect(rows, &QAbstractItemModel::modelReset, this, &TWizard::ActionListUpdate, queued);
}

bool TWizard::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == form_.ImageDownloadVideo)
            ImageDownloadVideoClick();
        else if (watched == form_.ImageConvertVideo)
            ImageConvertVideoClick();
    }
    return QObject::eventFilter(watched, event);
}

TWizardPage TWizard::CurrentPage() const {
    const QWidget* current = form_.PageControlMain->currentWidget();
    const std::array<const QWidget*, 8> pages = {
        form_.TabSheetMode,  form_.TabSheetStep1, form_.TabSheetStep2, form_.TabSheetStep3,
        form_.TabSheetStep4, form_.TabSheetStep5, form_.TabSheetStep6, form_.TabSheetStep7};
    for (size_t i = 0; i < pages.size(); ++i)
        if (pages[i] == current)
            return static_cast<TWizardPage>(i);
    return TWizardPage::Count;
}

void TWizard::SelectPage(TWizardPage page) {
    QWidget* const pages[] = {form_.TabSheetMode,  form_.TabSheetStep1, form_.TabSheetStep2,
                              form_.TabSheetStep3, form_.TabSheetStep4, form_.TabSheetStep5,
                              form_.TabSheetStep6, form_.TabSheetStep7};
    form_.PageControlMain->setCurrentWidget(pages[static_cast<int>(page)]);
}

void TWizard::UpdatePageTexts() {
    const TWizardPage page = CurrentPage();
    if (page == TWizardPage::Count)
        return;
    const PageTexts& row = kPageTexts[static_cast<int>(page)];
    form_.LabelTitle->setText(QString::fromUtf8(row.title).replace("%s", ApplicationTitle()));
    ActionNext->setText(globals_.JoinMode && row.nextCaptionJoin ? row.nextCaptionJoin : row.nextCaption);
    ActionNext->setEnabled(row.nextEnabled);
    ActionBack->setText("Back");
    ActionBack->setEnabled(row.back == TBackRule::Enabled ||
                           (row.back == TBackRule::WithDownloadMode && globals_.DownloadMode));
    ActionExit->setText(!globals_.DownloadMode && row.exitCaptionNoDownload ? row.exitCaptionNoDownload
                                                                            : row.exitCaption);
    ActionExit->setEnabled(true);
}

void TWizard::ShowFirstPage() {
    SelectPage(globals_.DownloadMode ? TWizardPage::Mode : TWizardPage::Step1);
    UpdatePageTexts();
}

void TWizard::ShowInputPage() {
    pages_.Mode.RadioButtonConvertVideo->setChecked(true);
    SelectPage(TWizardPage::Step1);
    UpdatePageTexts();
}

void TWizard::EnterFormatPage() {
    pages_.Format.EditOutputDir->setText(globals_.OutputFileDir);
    if (Hooks.ShowFormatSelection)
        Hooks.ShowFormatSelection();
}

void TWizard::LeaveFormatPage() {
    globals_.OutputFileDir = withSeparator(pages_.Format.EditOutputDir->text());
    if (Hooks.TakeFormatSelection)
        Hooks.TakeFormatSelection();
}

void TWizard::EnterLinkPage() {
    pages_.Links.EditURLOutput->setText(globals_.OutputURLDir);
    pages_.Links.CheckBoxYouTubeQuality->setChecked(globals_.PreferYouTubeQuality);
    pages_.Links.ButtonYouTubeQualityConfig->setEnabled(globals_.PreferYouTubeQuality);
    if (Hooks.QualitySummary)
        pages_.Links.LabelYouTubeQuality->setText(Hooks.QualitySummary());
}

void TWizard::LeaveLinkPage() {
    globals_.OutputURLDir = withSeparator(pages_.Links.EditURLOutput->text());
    globals_.PreferYouTubeQuality = pages_.Links.CheckBoxYouTubeQuality->isChecked();
}

void TWizard::ShowConversionSummary() {
    SelectPage(TWizardPage::Step4);
    const bool errors = !globals_.ErrorList.isEmpty();
    pages_.ConversionSummary.MemoErrorLog->setPlainText(globals_.ErrorList.join('\n'));
    pages_.ConversionSummary.MemoErrorLog->setVisible(errors);
    UpdatePageTexts();
    pages_.ConversionSummary.LabelFinishTotalFiles->setNum(globals_.FilesInRun);
    pages_.ConversionSummary.LabelFinishSuccessed->setNum(globals_.FilesConverted);
    pages_.ConversionSummary.LabelFinishFailed->setNum(globals_.FilesInRun - globals_.FilesConverted);
}

void TWizard::ShowDownloadSummary() {
    pages_.Links.ListViewInputURL->clear();
    pages_.Download.ListViewURLDownload->clear();
    for (QLabel* label : {pages_.Download.LabelURLCurrentFile, pages_.Download.LabelURLStatus,
                          pages_.Download.LabelSpeed, pages_.Download.LabelURLElapsedTime,
                          pages_.Download.LabelURLTimeLeft, pages_.Download.LabelQuality})
        label->setText("...");
    pages_.Download.ProgressBarDownload->setValue(0);
    pages_.Download.LabelProgressBarDownload->setText("0%");
    SelectPage(TWizardPage::Step7);
    UpdatePageTexts();
    pages_.DownloadSummary.LabelURLTotalFiles->setNum(globals_.LinksInRun);
    pages_.DownloadSummary.LabelURLSucedded->setNum(globals_.LinksDownloaded);
    pages_.DownloadSummary.LabelURLFailed->setNum(globals_.LinksInRun - globals_.LinksDownloaded);
}

void TWizard::ActionNextExecute() {
    switch (CurrentPage()) {
    case TWizardPage::Mode:
        if (pages_.Mode.RadioButtonDownloadVideo->isChecked()) {
            SelectPage(TWizardPage::Step5);
            EnterLinkPage();
            UpdatePageTexts();
        } else if (pages_.Mode.RadioButtonConvertVideo->isChecked()) {
            SelectPage(TWizardPage::Step1);
            UpdatePageTexts();
        }
        break;
    case TWizardPage::Step1:
        if (pages_.Input.NextGrid->rowCount() > 0) {
            SelectPage(TWizardPage::Step2);
            UpdatePageTexts();
            EnterFormatPage();
        } else {
            Notice("Please add the video files you want to convert");
        }
        break;
    case TWizardPage::Step2:
        NextOnFormatPage();
        break;
    case TWizardPage::Step4:
        ClearInputList();
        pages_.Conversion.ListViewConverting->clear();
        ReturnToFirstPage();
        break;
    case TWizardPage::Step5:
        NextOnLinkPage();
        break;
    case TWizardPage::Step7:
        pages_.Links.ListViewInputURL->clear();
        pages_.Download.ListViewURLDownload->clear();
        ReturnToFirstPage();
        break;
    default: // the running pages: Next is disabled
        break;
    }
}

void TWizard::NextOnFormatPage() {
    LeaveFormatPage();
    if (!folderUsable(globals_.OutputFileDir)) {
        Notice(kFailCreateDir);
        return;
    }
    SelectPage(TWizardPage::Step3);
    UpdatePageTexts();
    pages_.Conversion.CheckBoxPlayASound->setChecked(globals_.PlayASoundWhenFinished);
    pages_.Conversion.CheckBoxShutdown->setChecked(globals_.ShutDownWhenFinished);
    form_.PostPrivateMessage(pmStartConversion);
}

void TWizard::NextOnLinkPage() {
    LeaveLinkPage();
    if (pages_.Links.ListViewInputURL->topLevelItemCount() == 0) {
        Notice("Please Copy & Paste the YouTube video links you want to download.");
        return;
    }
    if (!folderUsable(globals_.OutputURLDir)) {
        Notice(kFailCreateDir);
        return;
    }
    SelectPage(TWizardPage::Step6);
    UpdatePageTexts();
    if (Hooks.StartDownloadRun)
        Hooks.StartDownloadRun();
}

void TWizard::ActionBackExecute() {
    switch (CurrentPage()) {
    case TWizardPage::Step1:
        if (Confirm(kAskCancelGoBack)) {
            ClearInputList();
            ReturnToFirstPage();
        }
        break;
    case TWizardPage::Step2:
        SelectPage(TWizardPage::Step1);
        UpdatePageTexts();
        break;
    case TWizardPage::Step5:
        if (Confirm(kAskCancelGoBack)) {
            pages_.Links.ListViewInputURL->clear();
            ReturnToFirstPage();
        }
        break;
    default: // Back is disabled elsewhere
        break;
    }
}

void TWizard::ActionExitExecute() {
    switch (CurrentPage()) {
    case TWizardPage::Step1:
        if (!globals_.DownloadMode) {
            if (Confirm(kAskQuit))
                form_.close();
        } else if (Confirm(kAskCancel)) {
            ClearInputList();
            ReturnToFirstPage();
        }
        break;
    case TWizardPage::Step2:
        if (Confirm(kAskCancel)) {
            ClearInputList();
            ReturnToFirstPage();
        }
        break;
    case TWizardPage::Step3:
        if (ConfirmCancelRun()) {
            if (Hooks.StopEncoder)
                Hooks.StopEncoder();
            UpdatePageTexts();
        }
        break;
    case TWizardPage::Step5:
        if (Confirm(kAskCancel)) {
            pages_.Links.ListViewInputURL->clear();
            ReturnToFirstPage();
        }
        break;
    case TWizardPage::Step6:
        if (ConfirmCancelRun() && Hooks.AbortTransfers)
            Hooks.AbortTransfers();
        break;
    default: // the mode page and the summaries quit
        if (Confirm(kAskQuit))
            form_.close();
        break;
    }
}

bool TWizard::ConfirmCancelRun() {
    const TWizardPage page = CurrentPage();
    const char* question = page == TWizardPage::Step3   ? "Do you really want to cancel the conversion?"
                           : page == TWizardPage::Step6 ? "Do you really want to cancel the downloading?"
                                                        : nullptr;
    if (!question)
        return true;
    runQuestionOpen_ = true;
    const bool yes = Confirm(question);
    runQuestionOpen_ = false;
    // A run that ended while the question was open has nothing left to cancel.
    return yes && CurrentPage() == page;
}

void TWizard::DismissRunQuestion() {
    if (!runQuestionOpen_)
        return;
    for (QMessageBox* box : form_.findChildren<QMessageBox*>())
        if (box->isVisible())
            box->reject();
}

void TWizard::ActionLogExecute() {
    QWidget* log = form_.LogWindow();
    if (!log)
        return;
    log->show();
    log->raise();
    log->activateWindow();
}

void TWizard::ActionListUpdate() {
    QTableWidget* grid = pages_.Input.NextGrid;
    const int rows = grid->rowCount();
    const QModelIndexList selected = grid->selectionModel()->selectedRows();
    const int s = selected.isEmpty() ? -1 : selected.first().row();
    ActionDelete->setEnabled(s >= 0);
    ActionPlay->setEnabled(s >= 0);
    ActionClear->setEnabled(rows > 0);
    ActionMoveUp->setEnabled(s > 0);
    ActionMoveDown->setEnabled(s >= 0 && s < rows - 1);
}

void TWizard::ButtonSelectDirClick() {
    PickFolder(globals_.OutputFileDir, pages_.Format.EditOutputDir);
}

void TWizard::ActionURLSelectExecute() {
    PickFolder(globals_.OutputURLDir, pages_.Links.EditURLOutput);
}

void TWizard::PickFolder(QString& stored, QLineEdit* edit) {
    QString path = stored;
    // 65: file-system folders only, new dialog style.
    if (!BrowseForFolder(services_, &form_, path, "Please select a folder", 65, QString()))
        return;
    edit->setText(withSeparator(path));
    stored = edit->text();
}

void TWizard::ImageDownloadVideoClick() {
    pages_.Mode.RadioButtonDownloadVideo->setChecked(true);
    pages_.Mode.RadioButtonDownloadVideo->setFocus();
}

void TWizard::ImageConvertVideoClick() {
    pages_.Mode.RadioButtonConvertVideo->setChecked(true);
    pages_.Mode.RadioButtonConvertVideo->setFocus();
}

void TWizard::LabelOpenFolderClick() {
    OpenWithShell(services_, &form_, globals_.OutputFileDir);
}

void TWizard::LabelURLOpenFolderClick() {
    OpenWithShell(services_, &form_, globals_.OutputURLDir);
}

void TWizard::ClearInputList() {
    pages_.Input.NextGrid->setRowCount(0);
}

void TWizard::ReturnToFirstPage() {
    ShowFirstPage();
    UpdatePageTexts();
}

bool TWizard::Confirm(const QString& message) {
    return ::Confirm(services_, &form_, message);
}

void TWizard::Notice(const QString& message) {
    ::Notice(services_, &form_, message);
}
