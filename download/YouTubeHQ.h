#pragma once

#include "download/QualityTable.h"

#include <QDialog>

class QPushButton;
class QTreeWidget;

// The dialog that orders the eight qualities of the priority list. Default and Best
// Available write their order into the stored slots at once; Up and Down change only
// the list until OK stores it.
class TFormYouTubeHQ : public QDialog {
    Q_OBJECT
public:
    // stored: the priority list the dialog reads and writes.
    TFormYouTubeHQ(TQualitySlots& stored, QWidget* parent = nullptr);

    // One row per quality: the stored slots' codes in order (a code outside the table
    // or one already listed is skipped), then any quality they left out, so the list
    // always orders all eight.
    void FillList();
    // The list's order into the stored slots (a row whose Type matches no label gives 0).
    void StoreList();

    void ButtonUpClick();
    void ButtonDownClick();
    void ButtonDefaultClick();
    void ButtonBestAvailableClick();

    QTreeWidget* ListViewYouTubeHQ = nullptr;
    QPushButton* ButtonUp = nullptr;
    QPushButton* ButtonDown = nullptr;
    QPushButton* ButtonDefault = nullptr;
    QPushButton* ButtonBestAvailable = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;

private:
    // Moves the selected row by step (-1 up, +1 down) when it can move.
    void MoveSelected(int step);

    TQualitySlots& slots_;
};
