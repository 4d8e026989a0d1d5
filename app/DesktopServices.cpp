#include "app/DesktopServices.h"

#include "app/DesktopShell.h"
#include "frontend/MessageDialog.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QFileDialog>
#include <QSoundEffect>
#include <QUrl>
#include <array>

namespace {

class DesktopDialogs final : public IDialogService {
public:
    QMessageBox::StandardButton MessageDialog(QWidget* parent, const TMessageRequest& request) override {
        return RunMessageBox(parent, request);
    }

    bool BrowseForFolder(QWidget* owner, QString& path, const QString& prompt, const QString& root) override {
        const QString start = root.isEmpty() ? path : root;
        const QString chosen =
            QFileDialog::getExistingDirectory(owner, prompt, start, QFileDialog::ShowDirsOnly);
        if (chosen.isEmpty())
            return false;
        path = chosen;
        return true;
    }

    QString SaveFileName(QWidget* parent, const TFileDialogRequest& request) override {
        QFileDialog dialog(parent, request.Caption, request.Folder, request.Filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(request.DefaultSuffix);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().first();
    }

    QStringList OpenFileNames(QWidget* parent, const TFileDialogRequest& request) override {
        return QFileDialog::getOpenFileNames(parent, request.Caption, request.Folder, request.Filter);
    }
};

class DesktopSound final : public ISoundService {
public:
    void PlaySystemSound(TSystemSound) override { QApplication::beep(); }

    void PlayFile(const QString& path) override {
        // Kept alive so playback goes on after the call returns.
        effect_.setSource(QUrl::fromLocalFile(path));
        effect_.play();
    }

private:
    QSoundEffect effect_;
};

// Power actions through systemd-logind's manager; the privilege step has no
// counterpart there (logind's own policy decides), so it succeeds.
class LogindPower final : public IPowerService {
public:
    bool SetPrivilege(const QString&, bool) override { return true; }

    bool Perform(TPowerKind kind) override {
        if (kind == TPowerKind::pkEndApplication) {
            QCoreApplication::quit();
            return true;
        }
        const char* method = logindMethod(kind);
        if (!method)
            return false;
        QDBusInterface manager("org.freedesktop.login1", "/org/freedesktop/login1",
                               "org.freedesktop.login1.Manager", QDBusConnection::systemBus());
        if (!manager.isValid())
            return false;
        const QDBusReply<void> reply = manager.call(method, false);
        return reply.isValid();
    }

private:
    struct MethodRow {
        TPowerKind kind;
        const char* method;
    };

    static const char* logindMethod(TPowerKind kind) {
        static constexpr std::array kMethods = {
            MethodRow{TPowerKind::pkShutdown, "PowerOff"}, MethodRow{TPowerKind::pkPowerOff, "PowerOff"},
            MethodRow{TPowerKind::pkReboot, "Reboot"},     MethodRow{TPowerKind::pkHibernate, "Hibernate"},
            MethodRow{TPowerKind::pkSuspend, "Suspend"},
        };
        for (const MethodRow& row : kMethods)
            if (row.kind == kind)
                return row.method;
        return nullptr;
    }
};

} // namespace

TDesktopServices::TDesktopServices()
    : dialogs_(std::make_unique<DesktopDialogs>()), shell_(std::make_unique<TDesktopShell>()),
      sound_(std::make_unique<DesktopSound>()), power_(std::make_unique<LogindPower>()) {}

TDesktopServices::~TDesktopServices() = default;

TServices TDesktopServices::Bundle() {
    return {*dialogs_, *shell_, *sound_, *power_};
}
