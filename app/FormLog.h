#pragma once

#include "frontend/Services.h"

#include <QDialog>
#include <cstdint>
#include <functional>

class QPlainTextEdit;
class QPushButton;
class QWidget;
class TFormMain;

// The log window: lines from the engine and the application, read, saved or cleared
// by the user. It lives from start-up to exit and is only shown and hidden.
class TFormLog : public QDialog {
    Q_OBJECT
public:
    using PlacementFn = std::function<void(QWidget*)>;

    explicit TFormLog(TServices services, QWidget* parent = nullptr);

    // Restores and stores the window's placement in section FormLog of the settings file.
    void SetPlacementStore(PlacementFn load, PlacementFn save);

    void AppendLogLine(const QString& text);
    // Engine logger event: "#" + thread id + "." + level number + ": " + message.
    void FFLoggerLog(std::uint64_t threadId, const QString& message, int level);

    void ButtonSaveClick();
    void ButtonDeleteClick();
    void PanelBottomResize();

    QPlainTextEdit* MemoLog;
    QWidget* PanelBottom;
    QPushButton* ButtonOK;
    QPushButton* ButtonDelete;
    QPushButton* ButtonSave;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The newest line in view, read from its start.
    void ShowNewestLine();

    TServices services_;
    PlacementFn loadPlacement_;
    PlacementFn savePlacement_;
};

QString EngineLogLine(std::uint64_t threadId, int level, const QString& message);

// Start-up: makes log the main window's log window, keeps its placement in section
// FormLog of the settings file and routes the engine logger's lines (llError and
// worse) into it. Call before the main window's FormCreate.
void AttachLogWindow(TFormMain& form, TFormLog& log);
