#include "EditionFile.h"
#include "EditionSetup.h"
#include "FormMain.h"
#include "MainThreadBridge.h"
#include "Services.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    InstallMainThreadBridge();
    const std::string exeDir = ExecutableDir();
    StartEdition(exeDir);

    TGlobalVars globals;
    TDesktopServices services;
    TFormMain formMain(globals, services.Bundle(), exeDir);
    formMain.FormCreate();
    return QApplication::exec();
}
