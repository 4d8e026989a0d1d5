#include "convert/BusyCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace BusyCursor {
namespace {
int depth = 0; // main thread only
}

void Enter() {
    if (depth++ == 0)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void Leave() {
    if (depth == 0)
        return;
    if (--depth == 0)
        QGuiApplication::restoreOverrideCursor();
}

int Depth() {
    return depth;
}

} // namespace BusyCursor
