#include "app/DesktopServices.h"
#include "app/EditionFile.h"
#include "app/EditionSetup.h"
#include "app/FormLog.h"
#include "app/FormMain.h"
#include "app/StoppedSetUp.h"
#include "app/TerminationSignal.h"
#include "frontend/MainThreadBridge.h"

#include <QApplication>
#include <cstdlib>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // Ties the window to the installed desktop entry (its icon and name in the shell).
    QGuiApplication::setDesktopFileName(QStringLiteral("mediawiz"));
    InstallMainThreadBridge();
    const std::string exeDir = ExecutableDir();
    StartEdition(exeDir);

    TGlobalVars globals;
    TDesktopServices services;
    // Declared first so it outlives the main window, which writes into it to the end.
    TFormLog formLog(services.Bundle());
    TFormMain formMain(globals, services.Bundle(), exeDir);
    AttachLogWindow(formMain, formLog);
    CloseOnTerminationSignal(formMain);
    if (!formMain.FormCreate())
        return TerminationHandled() ? EXIT_FAILURE : RunStoppedSetUp(formLog);
    // The files named on the command line (the desktop entry's %F), once the window shows.
    const QStringList files = QApplication::arguments().mid(1);
    if (!files.isEmpty())
        QMetaObject::invokeMethod(
            &formMain, [&formMain, files] { formMain.OpenFiles(files); }, Qt::QueuedConnection);
    EndProgramWithMainWindow(formMain);
    return QApplication::exec();
}
