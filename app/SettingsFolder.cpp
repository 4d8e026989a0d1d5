#include "app/SettingsFolder.h"

#include "support/PathUtils.h"

#include <QDir>
#include <QStandardPaths>

namespace {

QString WithSeparator(const QString& path) {
    return QString::fromStdString(WithTrailingBackslash(path.toStdString()));
}

} // namespace

QString ShellFolderPath(const QString& name) {
    QString folder;
    if (name == QLatin1String("AppData")) {
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        if (!folder.isEmpty())
            QDir().mkpath(folder);
    } else if (name == QLatin1String("Personal")) {
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (folder.isEmpty() || !QDir(folder).exists())
            folder = QDir::homePath();
    }
    if (folder.isEmpty())
        return QDir::rootPath();
    return QDir::toNativeSeparators(folder);
}

QString SettingsFolderFor(const QString& appData, const QString& title) {
    QString folderName = title;
    folderName.replace(QLatin1Char('/'), QLatin1Char(' '));
    const QString folder = WithSeparator(WithSeparator(appData) + folderName);
    QDir dir(folder);
    if (dir.exists() || QDir().mkdir(folder))
        return folder;
    return WithSeparator(appData);
}
