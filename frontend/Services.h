#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// Side effects of the window that must not happen in tests go through these
// interfaces. The window is given a TServices bundle; the program passes the
// desktop implementations, tests pass fakes that script answers and record effects.

// Kinds of ShowMessageDialog; each has its own icon and system sound.
enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

struct TMessageRequest {
    QString Message;
    QString Caption;
    TMsgDlgType Kind = TMsgDlgType::mtInformation;
    // Replaces the caption of the i-th button (in dialog order) when not empty.
    QStringList ButtonCaptions;
    QMessageBox::StandardButtons Buttons = QMessageBox::Ok;
};

struct TFileDialogRequest {
    QString Caption;
    QString Folder;
    QString Filter; // Qt form: "Log-Files (*.log);;All Files (*)"
    QString DefaultSuffix;
};

class IDialogService {
public:
    virtual ~IDialogService() = default;
    // Shows the message modally; returns the button pressed, or the escape
    // button's result when the box was closed.
    virtual QMessageBox::StandardButton MessageDialog(QWidget* parent, const TMessageRequest& request) = 0;
    // Folder browser preselecting path; on confirmation path becomes the chosen folder.
    virtual bool BrowseForFolder(QWidget* owner, QString& path, const QString& prompt,
                                 const QString& root) = 0;
    // Empty when the user cancelled. The save dialog asks before overwriting.
    virtual QString SaveFileName(QWidget* parent, const TFileDialogRequest& request) = 0;
    virtual QStringList OpenFileNames(QWidget* parent, const TFileDialogRequest& request) = 0;
};

class IShellService {
public:
    virtual ~IShellService() = default;
    // Opens a document, folder or web address in its default program without waiting for
    // it. failed runs on the main thread, at once or a moment later, when no program could
    // open the target.
    virtual void OpenWithShell(const QString& target, std::function<void()> failed) = 0;
};

enum class TSystemSound { Default, Exclamation, Hand, Question };

class ISoundService {
public:
    virtual ~ISoundService() = default;
    virtual void PlaySystemSound(TSystemSound sound) = 0;
    // Plays a wave file asynchronously.
    virtual void PlayFile(const QString& path) = 0;
};

// The six power-action kinds, numbered as the program uses them.
enum class TPowerKind {
    pkEndApplication = 0,
    pkShutdown = 1,
    pkPowerOff = 2,
    pkReboot = 3,
    pkHibernate = 4,
    pkSuspend = 5,
};

class IPowerService {
public:
    virtual ~IPowerService() = default;
    virtual bool SetPrivilege(const QString& name, bool enable) = 0;
    // Carries out the kind; false when the system refused or could not be reached.
    virtual bool Perform(TPowerKind kind) = 0;
};

// Non-owning bundle handed to the windows.
struct TServices {
    IDialogService& Dialogs;
    IShellService& Shell;
    ISoundService& Sound;
    IPowerService& Power;
};
