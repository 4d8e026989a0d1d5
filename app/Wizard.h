#pragma once

#include "app/WizardPages.h"
#include "frontend/GlobalVars.h"
#include "frontend/Services.h"

#include <QObject>
#include <functional>

class QAbstractButton;
class QAction;
class QWidget;
class TFormMain;

// The wizard's pages in their order on PageControlMain.
enum class TWizardPage { Mode, Step1, Step2, Step3, Step4, Step5, Step6, Step7, Count };

// Calls from the page flow into the components other parts of the window own.
// Unset hooks do nothing.
struct TWizardHooks {
    // Format page: press the stored class and format buttons, select the stored presets.
    std::function<void()> ShowFormatSelection;
    // Format page: store the selected preset of each format list.
    std::function<void()> TakeFormatSelection;
    // The link page's quality summary text.
    std::function<QString()> QualitySummary;
    // The encoder component's Stop with Wait.
    std::function<void()> StopEncoder;
    // Abort (without waiting) on both HTTP components.
    std::function<void()> AbortTransfers;
    // Empty the downloaded-file list, fill the download list from the links and start the run.
    std::function<void()> StartDownloadRun;
};

// The page flow of the main window: page texts and button states, the Next, Back
// and Exit transitions with their confirmations and checks, the summaries and the
// folder pickers. Handler names follow the window's design.
class TWizard : public QObject {
    Q_OBJECT
public:
    TWizard(TFormMain& form, TWizardPages& pages);

    TWizardHooks Hooks;

    TWizardPage CurrentPage() const;
    void SelectPage(TWizardPage page);

    void UpdatePageTexts();
    void ShowFirstPage();
    // The input page, reached on the convert route whatever the current page.
    void ShowInputPage();
    void EnterFormatPage();
    void LeaveFormatPage();
    void EnterLinkPage();
    void LeaveLinkPage();
    void ShowConversionSummary();
    void ShowDownloadSummary();

    // On a page whose run is going (converting, downloading): asks that page's cancel
    // question; true on Yes while the run still goes. Elsewhere true without asking.
    bool ConfirmCancelRun();
    // The run ended: an open cancel question is closed unanswered.
    void DismissRunQuestion();

    void ActionNextExecute();
    void ActionBackExecute();
    void ActionExitExecute();
    void ActionLogExecute();
    void ActionListUpdate();
    void ActionURLSelectExecute();
    void ButtonSelectDirClick();
    void ImageDownloadVideoClick();
    void ImageConvertVideoClick();
    void LabelOpenFolderClick();
    void LabelURLOpenFolderClick();

    QAction* ActionNext = nullptr;
    QAction* ActionBack = nullptr;
    QAction* ActionExit = nullptr;
    QAction* ActionLog = nullptr;
    QAction* ActionAdd = nullptr;
    QAction* ActionDelete = nullptr;
    QAction* ActionClear = nullptr;
    QAction* ActionMoveUp = nullptr;
    QAction* ActionMoveDown = nullptr;
    QAction* ActionPlay = nullptr;
    QAction* ActionURLPaste = nullptr;
    QAction* ActionURLRemove = nullptr;
    QAction* ActionURLEmpty = nullptr;
    QAction* ActionURLSelect = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void ConnectWidgets();
    void NextOnFormatPage();
    void NextOnLinkPage();
    void ClearInputList();
    void ReturnToFirstPage();
    bool Confirm(const QString& message);
    void Notice(const QString& message);
    // Browses from stored, writes the chosen folder with a separator into edit and stored.
    void PickFolder(QString& stored, class QLineEdit* edit);

    TFormMain& form_;
    TWizardPages& pages_;
    TGlobalVars& globals_;
    TServices services_;
    bool runQuestionOpen_ = false;
};

// Keeps a button's caption and enabling in step with an action and
// triggers the action on click.
void BindButtonToAction(QAbstractButton* button, QAction* action);
