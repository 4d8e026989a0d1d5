#include "app/DesktopShell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

namespace {
// The opener ends at once, and with an error, when nothing can open a target; one that
// ends later was the program it started, whose exit status says nothing about opening.
constexpr int kOpenerAnswerMs = 3000;
} // namespace

void TDesktopShell::OpenWithShell(const QString& target, std::function<void()> failed) {
    const QUrl url = QUrl::fromUserInput(target);
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        if (!QDesktopServices::openUrl(url))
            failed();
        return;
    }
    auto* process = new QProcess(QCoreApplication::instance());
    QElapsedTimer started;
    started.start();
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, failed](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         failed();
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::finished, process,
                     [process, failed, started](int exitCode, QProcess::ExitStatus status) {
                         if (!started.hasExpired(kOpenerAnswerMs) &&
                             (status != QProcess::NormalExit || exitCode != 0))
                             failed();
                         process->deleteLater();
                     });
    // An opener still running has started the program in its place (a browser, say): it
    // is let go so that quitting the window does not kill it.
    QTimer::singleShot(kOpenerAnswerMs, process, [process] {
        if (process->state() != QProcess::NotRunning)
            process->setParent(nullptr);
    });
    process->start(opener, {url.toString()});
}
