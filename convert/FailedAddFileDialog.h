#pragma once

#include "frontend/Services.h"

#include <QDialog>
#include <QStringList>

class QLabel;
class QPushButton;
class QTreeWidget;

// Lists the files an add operation refused, with a way to the edition's support page.
class TFormFailedAddFile : public QDialog {
    Q_OBJECT
public:
    // supportAddress: the edition's support link; empty disables "More Information...".
    TFormFailedAddFile(TServices services, QString supportAddress, QWidget* parent = nullptr);

    void SetMessages(const QStringList& messages);
    void ButtonMoreInformationClick();

    QLabel* ImageIcon;
    QLabel* LabelDescription;
    QTreeWidget* ListViewFiles;
    QPushButton* ButtonClose;
    QPushButton* ButtonMoreInformation;

private:
    TServices services_;
    QString supportAddress_;
};

// Shows the dialog modally, centred over the window, one row per message.
void ShowFailedAddFiles(TServices services, const QString& supportAddress, QWidget* window,
                        const QStringList& messages);
