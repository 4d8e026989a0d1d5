#pragma once

#include "frontend/Services.h"

#include <QDialog>
#include <optional>
#include <string>

class QFrame;
class QLabel;
class QPushButton;
class QTabWidget;
class TClickLabel;

// The about box: the edition's title, version and holder, its home-page and support
// addresses, and a button to the updates page. It reads the edition file afresh.
class TFormAbout : public QDialog {
    Q_OBJECT
public:
    // exeDir: the folder holding the edition file and the resource folders.
    TFormAbout(TServices services, std::string exeDir, QWidget* parent = nullptr);

    // The set-up of the box; the error text when the edition's Skin is not an integer
    // or "leftlogo.png" cannot be loaded (the box must not be shown then).
    std::optional<QString> FormCreate();

    void LabelWebClick();
    void LabelSupportEmailClick();
    void ButtonUpdatesClick();
    void ImageLeftClick();

    QFrame* PanelmageLeft;
    TClickLabel* ImageLeft;
    QTabWidget* PageControlMain;
    QWidget* TabSheetAbout;
    QWidget* TabSheetUpdate;
    QLabel* LabalTitle;
    QLabel* LabelCopyright;
    TClickLabel* LabelWeb;
    TClickLabel* LabelSupportEmail;
    QLabel* LabelVersion;
    QPushButton* ButtonUpdates;
    QPushButton* ButtonOK;

private:
    void FitTexts();

    TServices services_;
    std::string exeDir_;
};

// ActionAboutExecute: sets the box up, centres it over the main window and shows it
// modally; a failed set-up is shown in the error box instead.
void ShowAboutBox(TServices services, const std::string& exeDir, QWidget* mainWindow);
