#include "app/LinksMenu.h"

#include "app/FormAbout.h"
#include "app/FormMain.h"
#include "app/Links.h"
#include "frontend/ApplicationTitle.h"
#include "frontend/MessageDialog.h"
#include "ui/ImageButton.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QMenu>

namespace {

struct LinkActionRow {
    QAction* TLinksMenu::*action;
    const char* name;
    const char* caption;
    TLinkKind kind;
};

// Items of the help menu in order; nullptr action: a separator. A caption differs
// from the action's own only where the menu shows it differently.
struct MenuRow {
    const char* name;
    QAction* action;
    const char* caption; // nullptr: the action itself is the item
};

} // namespace

TLinksMenu::TLinksMenu(TFormMain& form) : QObject(&form), form_(form) {
    CreateActions();
    CreateMenu();
}

void TLinksMenu::CreateActions() {
    ActionHelp = new QAction("Help", &form_);
    ActionHelp->setObjectName("ActionHelp");
    connect(ActionHelp, &QAction::triggered, this, &TLinksMenu::ActionHelpExecute);
    connect(form_.ButtonHelp, &QAbstractButton::clicked, ActionHelp, &QAction::trigger);

    const LinkActionRow rows[] = {
        {&TLinksMenu::ActionHelpContent, "ActionHelpContent", "Help Content", TLinkKind::lkHelpContent},
        {&TLinksMenu::ActionHowTosTutorialVideos, "ActionHowTosTutorialVideos",
         "How Tos && Tutorial Videos...", TLinkKind::lkTutorials},
        {&TLinksMenu::ActionHomePage, "ActionHomePage", "Home Page", TLinkKind::lkHomePage},
        {&TLinksMenu::ActionCheckforUpdates, "ActionCheckforUpdates", "Check for Updates...",
         TLinkKind::lkUpdates},
        {&TLinksMenu::ActionContactTechnicalSupport, "ActionContactTechnicalSupport",
         "Contact Technical Support...", TLinkKind::lkSupport},
    };
    for (const LinkActionRow& row : rows) {
        auto* action = new QAction(row.caption, &form_);
        action->setObjectName(row.name);
        const TLinkKind kind = row.kind;
        connect(action, &QAction::triggered, this, [this, kind] { OpenLink(kind); });
        this->*row.action = action;
    }
    ActionHelpContent->setShortcut(QKeySequence(Qt::Key_F1));
    form_.addAction(ActionHelpContent);

    connect(form_.ActionMoreFreeTools, &QAction::triggered, this,
            [this] { OpenLink(TLinkKind::lkMoreTools); });
    form_.LabelMoreTools->installEventFilter(this);

    ActionAbout = new QAction("About", &form_);
    ActionAbout->setObjectName("ActionAbout");
    connect(ActionAbout, &QAction::triggered, this, &TLinksMenu::ActionAboutExecute);
}

void TLinksMenu::CreateMenu() {
    PopupMenuHelp = new QMenu(&form_);
    PopupMenuHelp->setObjectName("PopupMenuHelp");
    // The more-tools item is the main window's action, whose caption follows the edition.
    const MenuRow rows[] = {
        {"HelpTopics1", ActionHelpContent, nullptr},
        {"QuickStart1", ActionHowTosTutorialVideos, nullptr},
        {"N1", nullptr, nullptr},
        {"Homepage1", ActionHomePage, "Home Page..."},
        {"MoreRelatedTools1", form_.ActionMoreFreeTools, nullptr},
        {"N3", nullptr, nullptr},
        {"CheckforUpdates1", ActionCheckforUpdates, nullptr},
        {"ContactTechnicalSupport1", ActionContactTechnicalSupport, nullptr},
        {"N2", nullptr, nullptr},
        {"About1", ActionAbout, nullptr},
    };
    for (const MenuRow& row : rows) {
        if (!row.action)
            PopupMenuHelp->addSeparator()->setObjectName(row.name);
        else if (row.caption)
            PopupMenuHelp->addAction(row.caption, row.action, &QAction::trigger)->setObjectName(row.name);
        else
            PopupMenuHelp->addAction(row.action);
    }
}

QPoint TLinksMenu::HelpMenuPosition() const {
    const QWidget* button = form_.ButtonHelp;
    return form_.mapToGlobal(QPoint(button->x() + form_.HelpMenuOffset(), button->y() + button->height()));
}

void TLinksMenu::ActionHelpExecute() {
    PopupMenuHelp->popup(HelpMenuPosition());
}

void TLinksMenu::ActionAboutExecute() {
    ShowAboutBox(form_.Services(), form_.ExeDir(), &form_);
}

void TLinksMenu::OpenLink(TLinkKind kind) {
    OpenWithShell(form_.Services(), &form_, LookupLink(kind, ApplicationTitle()));
}

bool TLinksMenu::eventFilter(QObject* watched, QEvent* event) {
    // LabelMoreToolsClick
    if (watched == form_.LabelMoreTools && event->type() == QEvent::MouseButtonPress)
        OpenLink(TLinkKind::lkMoreTools);
    return QObject::eventFilter(watched, event);
}
