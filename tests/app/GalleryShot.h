#pragma once

#include "Fixtures.h"

#include <QDir>
#include <QString>
#include <QWidget>

// Renders a widget into the gallery folder for a visual check.
inline void GalleryShot(QWidget* widget, const QString& name) {
    const QString folder = QString::fromStdString(Fixtures::GalleryFolder());
    widget->ensurePolished();
    widget->grab().save(QDir(folder).filePath(name + ".png"));
}
