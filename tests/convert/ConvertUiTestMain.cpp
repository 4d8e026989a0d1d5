#include "frontend/MainThreadBridge.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The conversion pages are tested in the real window on Qt's offscreen platform, with
// HOME and the configuration folder in a temporary folder.
int main(int argc, char* argv[]) {
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InstallMainThreadBridge();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
