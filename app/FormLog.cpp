#include "app/FormLog.h"

#include "app/FormMain.h"
#include "app/Placement.h"
#include "app/Settings.h"
#include "engine/FFLog.h"
#include "frontend/MessageDialog.h"
#include "ui/WindowPlacement.h"

#include <QEvent>
#include <QFile>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int kButtonGap = 8;
constexpr int kButtonTop = 8;
constexpr int kButtonHeight = 25;

QPushButton* makeButton(const char* name, const QString& caption, int width, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    button->resize(width, kButtonHeight);
    return button;
}
} // namespace

QString EngineLogLine(std::uint64_t threadId, int level, const QString& message) {
    return QStringLiteral("#%1.%2: %3").arg(threadId).arg(level).arg(message);
}

TFormLog::TFormLog(TServices services, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint),
      services_(services) {
    setObjectName("FormLog");
    setWindowTitle("Log");
    setMinimumSize(265, 125);
    resize(455, 182);

    MemoLog = new QPlainTextEdit(this);
    MemoLog->setObjectName("MemoLog");
    MemoLog->setReadOnly(true);
    MemoLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoLog->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    PanelBottom = new QWidget(this);
    PanelBottom->setObjectName("PanelBottom");
    PanelBottom->setFixedHeight(40);
    PanelBottom->installEventFilter(this);

    ButtonOK = makeButton("ButtonOK", "&OK", 75, PanelBottom);
    ButtonDelete = makeButton("ButtonDelete", "&Delete Log", 75, PanelBottom);
    ButtonSave = makeButton("ButtonSave", "&Save Log...", 85, PanelBottom);
    ButtonOK->setDefault(true);
    ButtonOK->move(0, kButtonTop);
    ButtonDelete->move(ButtonOK->geometry().right() + 1 + kButtonGap, kButtonTop);
    ButtonSave->move(ButtonDelete->geometry().right() + 1 + kButtonGap, kButtonTop);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(MemoLog);
    layout->addWidget(PanelBottom);

    // Esc rejects the dialog, which hides it like OK.
    connect(ButtonOK, &QPushButton::clicked, this, &QDialog::close);
    connect(ButtonDelete, &QPushButton::clicked, this, &TFormLog::ButtonDeleteClick);
    connect(ButtonSave, &QPushButton::clicked, this, &TFormLog::ButtonSaveClick);
}

void TFormLog::SetPlacementStore(PlacementFn load, PlacementFn save) {
    loadPlacement_ = std::move(load);
    savePlacement_ = std::move(save);
}

void TFormLog::AppendLogLine(const QString& text) {
    MemoLog->appendPlainText(text);
    ShowNewestLine();
}

void TFormLog::ShowNewestLine() {
    MemoLog->horizontalScrollBar()->setValue(0);
    MemoLog->verticalScrollBar()->setValue(MemoLog->verticalScrollBar()->maximum());
}

void TFormLog::FFLoggerLog(std::uint64_t threadId, const QString& message, int level) {
    AppendLogLine(EngineLogLine(threadId, level, message));
}

void TFormLog::ButtonSaveClick() {
    const QString fileName = services_.Dialogs.SaveFileName(
        this, {"Save Log", QString(), "Log-Files (*.log);;Text-Files (*.txt);;All Files (*)", "log"});
    if (fileName.isEmpty())
        return;
    QByteArray text;
    const QStringList lines = MemoLog->toPlainText().split('\n');
    if (!MemoLog->document()->isEmpty())
        for (const QString& line : lines)
            text += line.toUtf8() + "\r\n";
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size() ||
        !file.flush()) {
        ErrorBox(services_, this,
                 QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, file.errorString()));
    }
}

void TFormLog::ButtonDeleteClick() {
    const auto answer = ShowMessageDialog(services_, this, "Really delete log file?", "Delete log?",
                                          TMsgDlgType::mtConfirmation, {},
                                          QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer != QMessageBox::Yes)
        return;
    MemoLog->clear();
    // Stays disabled until the program ends.
    ButtonSave->setEnabled(false);
}

void TFormLog::PanelBottomResize() {
    const int panelWidth = PanelBottom->width();
    const int group = ButtonSave->x() + ButtonSave->width() - ButtonOK->x();
    ButtonOK->move(panelWidth / 2 - group / 2, kButtonTop);
    ButtonDelete->move(ButtonOK->x() + ButtonOK->width() + kButtonGap, kButtonTop);
    ButtonSave->move(ButtonDelete->x() + ButtonDelete->width() + kButtonGap, kButtonTop);
}

void TFormLog::showEvent(QShowEvent* event) {
    if (!event->spontaneous() && loadPlacement_)
        loadPlacement_(this);
    PanelBottomResize();
    QDialog::showEvent(event);
    // Lines that came while hidden were laid out for no width; they are placed once shown.
    QTimer::singleShot(0, this, &TFormLog::ShowNewestLine);
}

void TFormLog::hideEvent(QHideEvent* event) {
    if (!event->spontaneous() && savePlacement_) {
        try {
            savePlacement_(this);
        } catch (const std::exception& error) {
            ErrorBox(services_, this, QString::fromLocal8Bit(error.what()));
        }
    }
    QDialog::hideEvent(event);
}

bool TFormLog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PanelBottom && event->type() == QEvent::Resize)
        PanelBottomResize();
    return QDialog::eventFilter(watched, event);
}

void AttachLogWindow(TFormMain& form, TFormLog& log) {
    form.SetLogWindow(&log);
    TGlobalVars& globals = form.Globals();
    log.SetPlacementStore(
        [&globals, &form](QWidget* window) {
            const QString file = SettingsFilePath(globals);
            if (HasPlacement("FormLog", file))
                LoadPlacement("FormLog", window, file);
            else if (const QScreen* screen = form.screen(); screen && form.isVisible()) {
                // First shown: beside the main window, not over its buttons; where the screen
                // has no room for that, the window manager places it.
                const QSize size = WithFrameAllowance(window->size());
                const QPoint at = PlaceBeside(form.frameGeometry(), size, screen->availableGeometry());
                if (!QRect(at, size).intersects(form.frameGeometry()))
                    window->move(at);
            }
        },
        [&globals](QWidget* window) { SavePlacement("FormLog", window, SettingsFilePath(globals)); });
    // Lines arrive on the main thread; one that comes after the window is gone is dropped.
    QPointer<TFormLog> target(&log);
    TFFLogger& logger = FFLogger();
    logger.SetLogLevel(llError);
    logger.OnLog = [target](void*, uint32_t threadId, TLogLevel level, const std::string& message) {
        if (target)
            target->FFLoggerLog(threadId, QString::fromStdString(message), level);
    };
}
