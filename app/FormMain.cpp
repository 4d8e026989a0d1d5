#include "app/FormMain.h"

#include "app/EditionFile.h"
#include "app/EditionSetup.h"
#include "app/EditionTable.h"
#include "app/FormLog.h"
#include "app/FormShutdown.h"
#include "app/Links.h"
#include "app/LinksMenu.h"
#include "app/Placement.h"
#include "app/PowerAction.h"
#include "app/Settings.h"
#include "app/SettingsFolder.h"
#include "app/Wizard.h"
#include "convert/ConversionRunPage.h"
#include "convert/FormatPage.h"
#include "convert/InputListPage.h"
#include "download/DownloadPage.h"
#include "download/LinkPage.h"
#include "download/QualityGroup.h"
#include "engine/FFLoad.h"
#include "frontend/ApplicationTitle.h"
#include "net/WinHTTP.h"
#include "support/MainThread.h"
#include "ui/ImageButton.h"
#include "ui/PageControl.h"
#include "ui/SkinForm.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QScreen>
#include <cstdio>
#include <stdexcept>

namespace {

constexpr QSize kDesignedSize(772, 547);
constexpr QRect kPageControlMainBounds(203, 74, 555, 420);

// A private message travelling as a Qt event of its number.
class TPrivateMessageEvent : public QEvent {
public:
    explicit TPrivateMessageEvent(TPrivateMessage message) : QEvent(static_cast<QEvent::Type>(message)) {}
};

bool IsPrivateMessage(int type) {
    return type >= pmDeferredShow && type <= pmRetryQuality;
}

QLabel* NewLabel(QWidget* parent, const char* name, const QString& text, QPoint position) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->move(position);
    label->adjustSize();
    return label;
}

TImageButton* NewButton(QWidget* parent, const char* name, const QString& text) {
    auto* button = new TImageButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(text);
    return button;
}

QWidget* NewPage(TPageControl* control, const char* name, const QString& caption) {
    auto* page = new QWidget;
    page->setObjectName(QLatin1String(name));
    return control->AddPage(page, caption);
}

} // namespace

TFormMain::TFormMain(TGlobalVars& globals, TServices services, std::string exeDir, QWidget* parent)
    : QWidget(parent), globals_(globals), services_(services), exeDir_(std::move(exeDir)) {
    setObjectName(QStringLiteral("FormMain"));
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    setFont(font);
    resize(kDesignedSize);
    suiSkinFormMain = new TSkinForm(this);
    CreateComponents();
    CreatePages();
    Pages = BuildWizardPages(*this);
    Wizard = new TWizard(*this, Pages);
    LinksMenu = new TLinksMenu(*this);
    CreateConversionPages();
    CreateDownloadPages();
}

TFormMain::~TFormMain() {
    // The engine and the transfers end while the widgets still exist: stopping a worker
    // keeps the window's events flowing, and those may look at the widgets.
    if (FFEncoder) {
        // Reports the engine's threads still deliver find the page detached, and alive.
        ConversionRunPage->DetachEncoder();
        FFEncoder->Stop(true);
        InputListPage.reset();
        FFEncoder.reset();
        ConversionRunPage.reset();
    }
    DownloadPage.reset();
    WinHTTPDownload.reset();
    WinHTTPGetRealURL.reset();
    // The child widgets go while this is still a TFormMain: page controllers' filters
    // and slots may look at the window's members while the widgets are torn down.
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        delete child;
}

void TFormMain::CreateConversionPages() {
    FFEncoder = std::make_unique<TFFEncoder>();
    auto log = [this](const QString& line) { AppendLogLine(line); };
    InputListPage =
        std::make_unique<TInputListPage>(*this, Pages.Input, FFEncoder->Decoder(), globals_, services_, log);
    InputListPage->BindActions({Wizard->ActionAdd, Wizard->ActionDelete, Wizard->ActionClear,
                                Wizard->ActionMoveUp, Wizard->ActionMoveDown, Wizard->ActionPlay});

    FormatPage = std::make_unique<TFormatPage>(Pages.Format, globals_);
    Wizard->Hooks.ShowFormatSelection = [this] { FormatPage->ShowSelection(); };
    Wizard->Hooks.TakeFormatSelection = [this] { FormatPage->TakeSelection(); };

    TConversionRunHooks hooks;
    hooks.AppendLogLine = log;
    hooks.RunEnding = [this] { Wizard->DismissRunQuestion(); };
    hooks.ShowConversionSummary = [this] { Wizard->ShowConversionSummary(); };
    hooks.ShutdownCountdown = [this] { return ShowShutdownCountdown(this); };
    hooks.ShutDown = [this] { PowerAction(services_.Power, TPowerKind::pkShutdown); };
    hooks.SendRunFinished = [this] { SendPrivateMessage(pmConversionEnded); };
    ConversionRunPage =
        std::make_unique<TConversionRunPage>(Pages.Input, Pages.Conversion, *FFEncoder, globals_, services_,
                                             QString::fromStdString(exeDir_), hooks);
    Wizard->Hooks.StopEncoder = [this] { ConversionRunPage->StopConversion(); };
    SetMessageHandler(pmStartConversion, [this] { ConversionRunPage->StartConversionRun(); });
    SetMessageHandler(pmConversionEnded, [this] { ConversionRunPage->ConversionRunFinished(); });
}

void TFormMain::CreateDownloadPages() {
    WinHTTPGetRealURL = std::make_unique<TWinHTTP>();
    WinHTTPDownload = std::make_unique<TWinHTTP>();
    LinkPage =
        std::make_unique<TLinkPage>(*this, Pages.Links, services_, [this] { return ClipboardHasNoText(); });
    LinkPage->BindActions({Wizard->ActionURLPaste, Wizard->ActionURLRemove, Wizard->ActionURLEmpty});
    QualityGroup = std::make_unique<TQualityGroup>(*this, Pages.Links, globals_);
    Wizard->Hooks.QualitySummary = [this] { return QualityGroup->QualitySummary(); };

    TDownloadPageHooks hooks;
    hooks.PostNextLink = [this] { PostPrivateMessage(pmNextLink); };
    hooks.PostNextQuality = [this] { PostPrivateMessage(pmRetryQuality); };
    hooks.RunEnded = [this](bool cancelled) {
        Wizard->DismissRunQuestion();
        Wizard->ShowDownloadSummary();
        if (cancelled)
            Wizard->UpdatePageTexts();
    };
    hooks.ConvertFiles = [this](const QStringList& files) {
        Wizard->SelectPage(TWizardPage::Step1);
        Wizard->UpdatePageTexts();
        InputListPage->AddFiles(files);
    };
    hooks.AppendLogLine = [this](const QString& line) { AppendLogLine(line); };
    DownloadPage =
        std::make_unique<TDownloadPage>(*this, Pages.Download, Pages.DownloadSummary, *WinHTTPGetRealURL,
                                        *WinHTTPDownload, globals_, services_, hooks);
    Wizard->Hooks.StartDownloadRun = [this] { DownloadPage->StartDownloadRun(LinkPage->Links()); };
    Wizard->Hooks.AbortTransfers = [this] { DownloadPage->AbortTransfers(); };
    SetMessageHandler(pmNextLink, [this] { DownloadPage->NextLink(); });
    SetMessageHandler(pmRetryQuality, [this] { DownloadPage->NextQuality(); });
}

void TFormMain::AppendLogLine(const QString& line) {
    if (auto* log = qobject_cast<TFormLog*>(logWindow_))
        log->AppendLogLine(line);
}

void TFormMain::CreateComponents() {
    ImageTopLogo = NewLabel(this, "ImageTopLogo", QString(), QPoint(14, 2));
    ImageLeftLogo = NewLabel(this, "ImageLeftLogo", QString(), QPoint(16, 74));
    suiSkinFormMain->AddDragHandle(ImageTopLogo);
    suiSkinFormMain->AddDragHandle(ImageLeftLogo);
    LabelTitle = NewLabel(this, "LabelTitle", QString(), QPoint(24, 43));
    LabelTitle->resize(724, 22);
    LabelVersion = NewLabel(this, "LabelVersion", QStringLiteral("Version: %s"), QPoint(22, 326));
    LabelMoreTools = NewLabel(this, "LabelMoreTools", QStringLiteral("more free tools..."), QPoint(22, 344));
    LabelMoreTools->setCursor(Qt::PointingHandCursor);
    ActionMoreFreeTools = new QAction(QStringLiteral("More Free Tools..."), this);
    ActionMoreFreeTools->setObjectName(QStringLiteral("ActionMoreFreeTools"));

    ButtonMin = NewButton(this, "ButtonMin", QString());
    ButtonClose = NewButton(this, "ButtonClose", QString());
    // Caption buttons stay out of the Tab order, as a title bar's do.
    ButtonMin->setFocusPolicy(Qt::NoFocus);
    ButtonClose->setFocusPolicy(Qt::NoFocus);
    connect(ButtonMin, &TImageButton::clicked, this, &TFormMain::ButtonMinClick);
    connect(ButtonClose, &TImageButton::clicked, this, &TFormMain::ButtonCloseClick);
    ButtonHelp = NewButton(this, "ButtonHelp", QStringLiteral("Help"));
    ButtonLog = NewButton(this, "ButtonLog", QStringLiteral("Log"));
    ButtonBack = NewButton(this, "ButtonBack", QStringLiteral("Back"));
    ButtonNext = NewButton(this, "ButtonNext", QStringLiteral("Next"));
    ButtonExit = NewButton(this, "ButtonExit", QStringLiteral("Exit"));
}

void TFormMain::CreatePages() {
    PageControlMain = new TPageControl(this);
    PageControlMain->setObjectName(QStringLiteral("PageControlMain"));
    PageControlMain->SetBounds(kPageControlMainBounds.x(), kPageControlMainBounds.y(),
                               kPageControlMainBounds.width(), kPageControlMainBounds.height());
    TabSheetMode = NewPage(PageControlMain, "TabSheetMode", QStringLiteral("Mode"));
    TabSheetStep1 = NewPage(PageControlMain, "TabSheetStep1", QStringLiteral("Step1"));
    TabSheetStep2 = NewPage(PageControlMain, "TabSheetStep2", QStringLiteral("Step2"));
    TabSheetStep3 = NewPage(PageControlMain, "TabSheetStep3", QStringLiteral("Step3"));
    TabSheetStep4 = NewPage(PageControlMain, "TabSheetStep4", QStringLiteral("Step4"));
    TabSheetStep5 = NewPage(PageControlMain, "TabSheetStep5", QStringLiteral("Step5"));
    TabSheetStep6 = NewPage(PageControlMain, "TabSheetStep6", QStringLiteral("Step6"));
    TabSheetStep7 = NewPage(PageControlMain, "TabSheetStep7", QStringLiteral("Step7"));

    ImageDownloadVideo = NewLabel(TabSheetMode, "ImageDownloadVideo", QString(), QPoint(24, 40));
    ImageConvertVideo = NewLabel(TabSheetMode, "ImageConvertVideo", QString(), QPoint(284, 40));
    const QString finishedAgain =
        QStringLiteral("To convert other files, click \"Finish\". Click \"Exit\" to quit %s.");
    LabelFinishTitle1 = NewLabel(TabSheetStep4, "LabelFinishTitle1",
                                 QStringLiteral("%s has finished the conversion."), QPoint(20, 20));
    LabelFinishTitle2 = NewLabel(TabSheetStep4, "LabelFinishTitle2", finishedAgain, QPoint(20, 44));
    LabelFinishedDownloading1 = NewLabel(TabSheetStep7, "LabelFinishedDownloading1",
                                         QStringLiteral("%s has finished the downloading."), QPoint(20, 20));
    LabelFinishedDownloading2 =
        NewLabel(TabSheetStep7, "LabelFinishedDownloading2", finishedAgain, QPoint(20, 44));
}

bool TFormMain::FormCreate() {
    const QString title = ApplicationTitle();
    edition_ = FindEditionRow(title.toStdString(), TEditionLookup::elStartup);
    if (std::optional<QString> error = ApplyEditionProfile(*this)) {
        ReportSetUpStop(*error);
        TMessageRequest request{*error, title, TMsgDlgType::mtError, {}, QMessageBox::Ok};
        services_.Dialogs.MessageDialog(this, request);
        return false;
    }
    if (edition_ && edition_->MinimalChrome) {
        for (QWidget* widget : {static_cast<QWidget*>(LabelVersion), static_cast<QWidget*>(LabelMoreTools),
                                static_cast<QWidget*>(ButtonHelp), static_cast<QWidget*>(ButtonLog)})
            widget->hide();
    }
    globals_.SettingsDir = SettingsFolderFor(ShellFolderPath(QStringLiteral("AppData")), title);
    const QString personal = ShellFolderPath(QStringLiteral("Personal"));
    globals_.LastOpenDir = personal;
    globals_.OutputFileDir = personal;
    globals_.OutputURLDir = personal;
    SetSettingsDefaults(globals_);
    settingsReady_ = true;
    if (!LoadSettings(globals_, SettingsFilePath(globals_))) {
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->geometry().center() - rect().center());
    }
    InputListPage->SetSupportAddress(LookupLink(TLinkKind::lkSupport, title));
    setAcceptDrops(true);
    LoadPlacement(QStringLiteral("Form"), this, SettingsFilePath(globals_));
    if (!LoadMediaLibraries())
        return false;
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &TFormMain::UpdateClipboardFlag);
    UpdateClipboardFlag();
    Wizard->ShowFirstPage();
    PageControlMain->SetTabsVisible(false);
    Pages.Format.RzPageControlToFormat->SetTabsVisible(false);
    PostPrivateMessage(pmDeferredShow);
    return true;
}

void TFormMain::OpenFiles(const QStringList& paths) {
    QStringList absolute;
    for (const QString& path : paths)
        absolute << QFileInfo(path).absoluteFilePath();
    Wizard->ShowInputPage();
    InputListPage->DropFiles(absolute);
}

bool TFormMain::LoadMediaLibraries() {
    FFEngineStart();
    if (FFEncoder->LibrariesLoaded() || FFEncoder->LoadLibraries(exeDir_ + "lib"))
        return true;
    ReportSetUpStop(QString::fromStdString(FFEncoder->LastErrMsg()));
    return false;
}

void TFormMain::ReportSetUpStop(const QString& reason) {
    AppendLogLine(reason);
    // Also for a user who started the program from a terminal.
    std::fprintf(stderr, "%s\n", reason.toLocal8Bit().constData());
}

void TFormMain::UpdateClipboardFlag() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    clipboardHasNoText_ = !data || !data->hasText();
}

void TFormMain::SetMessageHandler(TPrivateMessage message, std::function<void()> handler) {
    messageHandlers_[message] = std::move(handler);
}

void TFormMain::PostPrivateMessage(TPrivateMessage message) {
    QCoreApplication::postEvent(this, new TPrivateMessageEvent(message));
}

void TFormMain::SendPrivateMessage(TPrivateMessage message) {
    MainThread::Send([this, message] {
        TPrivateMessageEvent event(message);
        this->event(&event);
    });
}

bool TFormMain::event(QEvent* event) {
    const int type = event->type();
    if (!IsPrivateMessage(type))
        return QWidget::event(event);
    if (type == pmDeferredShow) {
        DeferredShow();
    } else if (auto handler = messageHandlers_.find(type);
               handler != messageHandlers_.end() && handler->second) {
        handler->second();
    }
    return true;
}

void TFormMain::DeferredShow() {
    show();
    const bool toolsWording = edition_ && edition_->ToolsWording;
    LabelMoreTools->setText(toolsWording ? QStringLiteral("more tools...")
                                         : QStringLiteral("more free tools..."));
    LabelMoreTools->adjustSize();
    ActionMoreFreeTools->setText(toolsWording ? QStringLiteral("More Tools...")
                                              : QStringLiteral("More Free Tools..."));
}

void TFormMain::ButtonMinClick() {
    showMinimized();
}

void TFormMain::ButtonCloseClick() {
    close();
}

void TFormMain::closeEvent(QCloseEvent* event) {
    // Any close request while a run goes (the skin's close button, the window manager's
    // Alt+F4 or close) asks as Exit on that page does; No keeps the run. The end of the
    // session does not ask.
    if (!static_cast<QGuiApplication*>(QCoreApplication::instance())->isSavingSession() &&
        !Wizard->ConfirmCancelRun()) {
        event->ignore();
        return;
    }
    // No conversion event may reach the closing window; the running tasks end first.
    ConversionRunPage->DetachEncoder();
    FFEncoder->Stop(true);
    // The transfers stop without reporting; a video that was arriving is removed.
    DownloadPage->Close();
    FormClose();
    event->accept();
    emit Closed();
}

void EndProgramWithMainWindow(TFormMain& form) {
    QGuiApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&form, &TFormMain::Closed, QCoreApplication::instance(), &QCoreApplication::quit,
                     Qt::QueuedConnection);
}

void TFormMain::FormClose() {
    // Before the settings folder is known there is nothing to save.
    if (!settingsReady_)
        return;
    const QString file = SettingsFilePath(globals_);
    // Each part is saved on its own, so one failure does not cost the others; the same
    // failure of all three (an unwritable file) is shown once.
    QStringList errors;
    const auto save = [&](const auto& write) {
        try {
            write();
        } catch (const std::exception& error) {
            errors << QString::fromLocal8Bit(error.what());
        }
    };
    save([&] { SaveSettings(globals_, file); });
    save([&] { SavePlacement(QStringLiteral("Form"), this, file); });
    if (logWindow_)
        save([&] { SavePlacement(QStringLiteral("FormLog"), logWindow_, file); });
    errors.removeDuplicates();
    for (const QString& message : errors) {
        TMessageRequest request{message, ApplicationTitle(), TMsgDlgType::mtError, {}, QMessageBox::Ok};
        services_.Dialogs.MessageDialog(this, request);
    }
}
