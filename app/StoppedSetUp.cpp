#include "app/StoppedSetUp.h"

#include "app/FormLog.h"
#include "frontend/ApplicationTitle.h"

#include <QApplication>
#include <QScreen>

int RunStoppedSetUp(TFormLog& log) {
    const QString title = ApplicationTitle();
    if (!title.isEmpty())
        log.setWindowTitle(title + QStringLiteral(" - Log"));
    // The settings folder may not be known yet: nothing is read or written there.
    log.SetPlacementStore({}, {});
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        log.move(screen->availableGeometry().center() - log.rect().center());
    QObject::connect(&log, &QDialog::finished, qApp, [] { QApplication::exit(1); });
    log.show();
    log.activateWindow();
    QApplication::exec();
    return 1;
}
