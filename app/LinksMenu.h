#pragma once

#include "app/EditionTable.h"

#include <QObject>
#include <QPoint>

class QAction;
class QMenu;
class TFormMain;

// The Help button's menu: the edition's web links, opened with the shell, and the
// about box. F1 opens the help content anywhere in the main window.
class TLinksMenu : public QObject {
    Q_OBJECT
public:
    explicit TLinksMenu(TFormMain& form);

    // Just below ButtonHelp, shifted by the skin layout's help-menu offset.
    QPoint HelpMenuPosition() const;

    void ActionHelpExecute();
    void ActionAboutExecute();
    // Looks the kind's address up for the title and hands it to the shell.
    void OpenLink(TLinkKind kind);

    QAction* ActionHelp = nullptr;
    QAction* ActionHelpContent = nullptr;
    QAction* ActionHowTosTutorialVideos = nullptr;
    QAction* ActionHomePage = nullptr;
    QAction* ActionCheckforUpdates = nullptr;
    QAction* ActionContactTechnicalSupport = nullptr;
    QAction* ActionAbout = nullptr;
    QMenu* PopupMenuHelp = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateMenu();

    TFormMain& form_;
};
