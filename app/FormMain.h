#pragma once

#include "app/WizardPages.h"
#include "frontend/GlobalVars.h"
#include "frontend/Services.h"

#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>

class QAction;
class QLabel;
class TImageButton;
class TPageControl;
class TSkinForm;
class TConversionRunPage;
class TDownloadPage;
class TLinkPage;
class TQualityGroup;
class TWinHTTP;
class TFFEncoder;
class TFormatPage;
class TInputListPage;
class TLinksMenu;
class TWizard;
struct TEditionRow;

// The window's private messages, posted (or, for 1027, sent) to itself.
enum TPrivateMessage : int {
    pmDeferredShow = 1025,    // end of FormCreate: show the window
    pmStartConversion = 1026, // Next on the format page
    pmConversionEnded = 1027, // final terminate notification of the encoder (sent)
    pmNextLink = 1028,        // resolve the next download link
    pmRetryQuality = 1029,    // retry a failed download with the next quality
};

// The main window: a borderless skinned wizard. It composes the edition set-up,
// the settings and the page controllers; their logic lives in their own files.
class TFormMain : public QWidget {
    Q_OBJECT
public:
    // exeDir: the folder holding the edition file and the resource folders.
    TFormMain(TGlobalVars& globals, TServices services, std::string exeDir, QWidget* parent = nullptr);
    ~TFormMain() override;

    // The creation sequence. False when the set-up stopped early (configuration
    // error or missing media libraries); the window then stays as far as it got.
    bool FormCreate();

    // Files named on the window's command line, after a FormCreate that succeeded: the
    // input page of the convert route is shown and the files are added as if dropped.
    // Relative paths are taken from the current folder.
    void OpenFiles(const QStringList& paths);

    TGlobalVars& Globals() { return globals_; }
    TServices& Services() { return services_; }
    const std::string& ExeDir() const { return exeDir_; }
    // The edition-table row of the title (nullptr: unknown title).
    const TEditionRow* Edition() const { return edition_; }
    // The skin layout's help-menu horizontal offset.
    int HelpMenuOffset() const { return helpMenuOffset_; }
    void SetHelpMenuOffset(int offset) { helpMenuOffset_ = offset; }
    // True when the clipboard holds no text (pasting links is then disabled).
    bool ClipboardHasNoText() const { return clipboardHasNoText_; }

    // The log window, saved with the main window's settings at close.
    void SetLogWindow(QWidget* logWindow) { logWindow_ = logWindow; }
    QWidget* LogWindow() const { return logWindow_; }

    // Private messages: handlers are registered by the page controllers; posting
    // queues a Qt event of the message's number, sending runs the handler on the
    // main thread and waits for it (callable from any thread).
    void SetMessageHandler(TPrivateMessage message, std::function<void()> handler);
    void PostPrivateMessage(TPrivateMessage message);
    void SendPrivateMessage(TPrivateMessage message);

    TImageButton* FormatButton(TFormatId format) const { return Pages.Format.FormatButtons[format]; }

    void ButtonMinClick();
    void ButtonCloseClick();

    // Components, named as designed.
    TSkinForm* suiSkinFormMain = nullptr;
    QLabel* ImageTopLogo = nullptr;
    QLabel* ImageLeftLogo = nullptr;
    QLabel* LabelTitle = nullptr;
    QLabel* LabelVersion = nullptr;
    QLabel* LabelMoreTools = nullptr;
    TImageButton* ButtonMin = nullptr;
    TImageButton* ButtonClose = nullptr;
    TImageButton* ButtonHelp = nullptr;
    TImageButton* ButtonLog = nullptr;
    TImageButton* ButtonBack = nullptr;
    TImageButton* ButtonNext = nullptr;
    TImageButton* ButtonExit = nullptr;
    TPageControl* PageControlMain = nullptr;
    QWidget* TabSheetMode = nullptr;
    QWidget* TabSheetStep1 = nullptr;
    QWidget* TabSheetStep2 = nullptr;
    QWidget* TabSheetStep3 = nullptr;
    QWidget* TabSheetStep4 = nullptr;
    QWidget* TabSheetStep5 = nullptr;
    QWidget* TabSheetStep6 = nullptr;
    QWidget* TabSheetStep7 = nullptr;
    QLabel* ImageDownloadVideo = nullptr;
    QLabel* ImageConvertVideo = nullptr;
    QLabel* LabelFinishTitle1 = nullptr;
    QLabel* LabelFinishTitle2 = nullptr;
    QLabel* LabelFinishedDownloading1 = nullptr;
    QLabel* LabelFinishedDownloading2 = nullptr;
    QAction* ActionMoreFreeTools = nullptr;

    // The wizard's page widgets and page flow.
    TWizardPages Pages;
    TWizard* Wizard = nullptr;
    // The Help button's menu of web links and the about box.
    TLinksMenu* LinksMenu = nullptr;
    // The encoder component and the conversion pages that use it (the pages go first).
    std::unique_ptr<TFFEncoder> FFEncoder;
    std::unique_ptr<TInputListPage> InputListPage;
    std::unique_ptr<TFormatPage> FormatPage;
    std::unique_ptr<TConversionRunPage> ConversionRunPage;
    // The two HTTP components and the download pages that use them (the pages go first).
    std::unique_ptr<TWinHTTP> WinHTTPGetRealURL;
    std::unique_ptr<TWinHTTP> WinHTTPDownload;
    std::unique_ptr<TLinkPage> LinkPage;
    std::unique_ptr<TQualityGroup> QualityGroup;
    std::unique_ptr<TDownloadPage> DownloadPage;

signals:
    // The closing sequence has run and the window is closed.
    void Closed();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateComponents();
    void CreatePages();
    void CreateConversionPages();
    void CreateDownloadPages();
    void AppendLogLine(const QString& line);
    // The reason the set-up stopped: into the log and onto standard error.
    void ReportSetUpStop(const QString& reason);
    void DeferredShow();
    void UpdateClipboardFlag();
    // Saves the settings and both placements; errors are shown, closing goes on.
    void FormClose();
    // Asks the encoder component to load the media libraries from <exe dir>/lib.
    bool LoadMediaLibraries();

    TGlobalVars& globals_;
    TServices services_;
    std::string exeDir_;
    const TEditionRow* edition_ = nullptr;
    int helpMenuOffset_ = 0;
    bool clipboardHasNoText_ = true;
    bool settingsReady_ = false;
    QWidget* logWindow_ = nullptr;
    std::map<int, std::function<void()>> messageHandlers_;
};

// The program ends when its main window closes, whatever other top-level windows (the
// log window, a preview) are still open.
void EndProgramWithMainWindow(TFormMain& form);
