#include "EditionFile.h"
#include "EditionSetup.h"
#include "FormLog.h"
#include "FormMain.h"
#include "MainThreadBridge.h"
#include "Services.h"
#include "StoppedSetUp.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    InstallMainThreadBridge();
    const std::string exeDir = ExecutableDir();
    StartEdition(exeDir);

    TGlobalVars globals;
    TDesktopServices services;
    // Declared first so it outlives the main window, which writes into it to the end.
    TFormLog formLog(services.Bundle());
    TFormMain formMain(globals, services.Bundle(), exeDir);
    AttachLogWindow(formMain, formLog);
    if (!formMain.FormCreate())
        return RunStoppedSetUp(formLog);
    return QApplication::exec();
}
