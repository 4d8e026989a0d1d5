#pragma once

#include "frontend/Services.h"
#include "frontend/WizardWidgets.h"

#include <QObject>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QMenu;

// The actions of the link page; the window creates them with their captions and shortcuts.
struct TLinkActions {
    QAction* ActionURLPaste = nullptr;
    QAction* ActionURLRemove = nullptr;
    QAction* ActionURLEmpty = nullptr;
};

// The link list of the download route: links come from the clipboard, one per pasted
// line, each checked to be a video link not listed yet.
class TLinkPage : public QObject {
    Q_OBJECT
public:
    // window: owner of the message boxes. clipboardHasNoText: the window's flag.
    TLinkPage(QWidget& window, const TLinkPageWidgets& page, TServices services,
              std::function<bool()> clipboardHasNoText);

    // Connects the commands to the actions and buttons and builds the list's menu.
    void BindActions(const TLinkActions& actions);

    // The listed links in order.
    std::vector<std::string> Links() const;

    void ActionURLPasteExecute();
    // Appends text when it is a new video link; otherwise tells the user, whose Cancel
    // clears Continue.
    void AddLink(const QString& text, bool& Continue);
    void ActionURLRemoveExecute();
    void ActionURLEmptyExecute();
    void ListViewInputURLDblClick();
    void ActionListURLUpdate();

    QMenu* PopupMenuListViewURL = nullptr;

private:
    QWidget& window_;
    TLinkPageWidgets page_;
    TServices services_;
    std::function<bool()> clipboardHasNoText_;
    TLinkActions actions_;
};
