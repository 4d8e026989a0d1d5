#pragma once

#include "frontend/Services.h"

#include <QMessageBox>
#include <QString>
#include <QStringList>

class QWidget;

// Builds and runs the standard message box of the kind (used by the desktop dialog service).
QMessageBox::StandardButton RunMessageBox(QWidget* parent, const TMessageRequest& request);

// Plays the system sound of the kind, then shows the dialog; returns the modal result.
QMessageBox::StandardButton ShowMessageDialog(TServices& services, QWidget* parent, const QString& message,
                                              const QString& caption, TMsgDlgType kind,
                                              const QStringList& buttonCaptions,
                                              QMessageBox::StandardButtons buttons);

// Yes/No with the question icon under the title; true only on Yes.
bool Confirm(TServices& services, QWidget* parent, const QString& message);
// OK with the information icon under the title.
void Notice(TServices& services, QWidget* parent, const QString& message);
// The standard error box under the title.
void ErrorBox(TServices& services, QWidget* parent, const QString& message);
// Opens the target with the shell; when nothing can open it, says so in the error box.
void OpenWithShell(TServices& services, QWidget* parent, const QString& target);

// Shell folder browser. flags follows the design (65: file-system folders only, new style);
// a non-empty root limits the browser to that folder.
bool BrowseForFolder(TServices& services, QWidget* owner, QString& path, const QString& prompt, int flags,
                     const QString& root);
