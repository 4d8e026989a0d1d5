#pragma once

#include <QDir>
#include <QString>
#include <QWidget>

// Renders a widget into the gallery folder (MEDIAWIZ_GALLERY) for a visual check.
inline void GalleryShot(QWidget* widget, const QString& name) {
    const QString folder = qEnvironmentVariable("MEDIAWIZ_GALLERY");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    widget->ensurePolished();
    widget->grab().save(QDir(folder).filePath(name + ".png"));
}
