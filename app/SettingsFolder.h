#pragma once

#include <QString>

// The user's shell folders: "AppData" is the user's configuration folder (created
// when missing), "Personal" the documents folder or else the home folder. Any other
// name, or a folder that cannot be found, gives the root folder.
QString ShellFolderPath(const QString& name);

// The per-edition settings folder: appData + the title with every "/" made a space,
// with a trailing separator. When that folder is missing and cannot be created
// (one level, no parents), appData itself with a trailing separator.
QString SettingsFolderFor(const QString& appData, const QString& title);
