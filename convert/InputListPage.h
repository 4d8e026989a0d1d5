#pragma once

#include "frontend/GlobalVars.h"
#include "frontend/Services.h"
#include "frontend/WizardWidgets.h"

#include <QObject>
#include <QPixmap>
#include <QStringList>
#include <functional>
#include <vector>

class QAction;
class QMenu;
class TFFDecoder;
class TSlideGrid;

// The actions of the input page; the window creates them with their captions and shortcuts.
struct TInputListActions {
    QAction* ActionAdd = nullptr;
    QAction* ActionDelete = nullptr;
    QAction* ActionClear = nullptr;
    QAction* ActionMoveUp = nullptr;
    QAction* ActionMoveDown = nullptr;
    QAction* ActionPlay = nullptr;
};

// The input file list: the one add operation for every source (open dialog, files
// dropped on the window, the downloaded files), probing each file, the row commands
// and the grid's context menu.
class TInputListPage : public QObject {
    Q_OBJECT
public:
    using LogLineFn = std::function<void(const QString&)>;

    // window: owner of the dialogs and the drop target.
    TInputListPage(QWidget& window, const TInputPageWidgets& page, TFFDecoder& decoder, TGlobalVars& globals,
                   TServices services, LogLineFn appendLogLine);
    ~TInputListPage() override;

    // Connects the commands to the actions and builds the grid's context menu.
    void BindActions(const TInputListActions& actions);
    // The edition's support address, offered by the failed-files dialog.
    void SetSupportAddress(const QString& address) { supportAddress_ = address; }

    // Probes and appends the files; refused ones go to the log and the failed-files dialog.
    void AddFiles(const QStringList& paths);
    // Keeps the dropped files with a known media extension (folders are skipped) and adds them.
    void DropFiles(const QStringList& paths);

    void ActionAddExecute();
    void ActionDeleteExecute();
    void ActionClearExecute();
    void ActionMoveUpExecute();
    void ActionMoveDownExecute();
    void ActionPlayExecute();
    void NextGridDblClick();
    void NextGridAfterRowMove();

    QMenu* PopupMenuNextGrid = nullptr;
    QPixmap ImageAudioIcon;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // One file: false when the probe decoder cannot open it.
    bool AddFile(const QString& path);
    QPixmap Thumbnail();

    QWidget& window_;
    TSlideGrid& grid_;
    TFFDecoder& decoder_;
    TGlobalVars& globals_;
    TServices services_;
    LogLineFn appendLogLine_;
    QString supportAddress_;
    // Every thumbnail ever made; kept until the window goes.
    std::vector<QPixmap> thumbnails_;
};

// The extensions a drop accepts, lower case with the dot.
bool IsDroppableMediaFile(const QString& path);
