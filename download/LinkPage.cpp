#include "download/LinkPage.h"

#include "download/LinkList.h"
#include "frontend/ApplicationTitle.h"
#include "frontend/MessageDialog.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <vector>

TLinkPage::TLinkPage(QWidget& window, const TLinkPageWidgets& page, TServices services,
                     std::function<bool()> clipboardHasNoText)
    : window_(window), page_(page), services_(services), clipboardHasNoText_(std::move(clipboardHasNoText)) {
    connect(page_.ListViewInputURL, &QTreeWidget::itemDoubleClicked, this,
            &TLinkPage::ListViewInputURLDblClick);
}

void TLinkPage::BindActions(const TLinkActions& actions) {
    actions_ = actions;
    connect(actions.ActionURLPaste, &QAction::triggered, this, &TLinkPage::ActionURLPasteExecute);
    connect(actions.ActionURLRemove, &QAction::triggered, this, &TLinkPage::ActionURLRemoveExecute);
    connect(actions.ActionURLEmpty, &QAction::triggered, this, &TLinkPage::ActionURLEmptyExecute);

    QTreeWidget* list = page_.ListViewInputURL;
    PopupMenuListViewURL = new QMenu(list);
    PopupMenuListViewURL->setObjectName("PopupMenuListViewURL");
    PopupMenuListViewURL->addAction(actions.ActionURLPaste);
    PopupMenuListViewURL->addAction(actions.ActionURLRemove);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint& at) {
        PopupMenuListViewURL->popup(list->viewport()->mapToGlobal(at));
    });

    // The designed action list re-evaluates on idle: queued after each change it depends on.
    const auto queued = Qt::QueuedConnection;
    QAbstractItemModel* rows = list->model();
    connect(list, &QTreeWidget::itemSelectionChanged, this, &TLinkPage::ActionListURLUpdate, queued);
    connect(rows, &QAbstractItemModel::rowsInserted, this, &TLinkPage::ActionListURLUpdate, queued);
    connect(rows, &QAbstractItemModel::rowsRemoved, this, &TLinkPage::ActionListURLUpdate, queued);
    connect(rows, &QAbstractItemModel::modelReset, this, &TLinkPage::ActionListURLUpdate, queued);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &TLinkPage::ActionListURLUpdate,
            queued);
    ActionListURLUpdate();
}

std::vector<std::string> TLinkPage::Links() const {
    std::vector<std::string> links;
    QTreeWidget* list = page_.ListViewInputURL;
    for (int row = 0; row < list->topLevelItemCount(); ++row)
        links.push_back(list->topLevelItem(row)->text(0).toStdString());
    return links;
}

void TLinkPage::ActionURLPasteExecute() {
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty())
        return;
    bool Continue = true;
    for (const std::string& line : SplitPastedText(text.toStdString())) {
        AddLink(QString::fromStdString(line), Continue);
        if (!Continue)
            break;
    }
}

void TLinkPage::AddLink(const QString& text, bool& Continue) {
    const TLinkVerdict verdict = CheckNewLink(Links(), text.toStdString(), CurrentVideoService());
    if (verdict == TLinkVerdict::Add) {
        new QTreeWidgetItem(page_.ListViewInputURL, {text});
        return;
    }
    const QString message = QString::fromStdString(LinkRejectionText(text.toStdString(), verdict));
    const auto answer =
        ShowMessageDialog(services_, &window_, message, ApplicationTitle(), TMsgDlgType::mtInformation, {},
                          QMessageBox::Ok | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel)
        Continue = false;
}

void TLinkPage::ActionURLRemoveExecute() {
    QTreeWidget* list = page_.ListViewInputURL;
    if (list->selectedItems().isEmpty())
        return;
    // Taken from the selection first: removing a row moves the selection to a neighbour.
    std::vector<int> selected;
    for (int row = 0; row < list->topLevelItemCount(); ++row)
        if (list->topLevelItem(row)->isSelected())
            selected.push_back(row);
    for (auto row = selected.rbegin(); row != selected.rend(); ++row)
        delete list->takeTopLevelItem(*row);
    const int lowest = selected.front();
    const int count = list->topLevelItemCount();
    if (count > 0) {
        QTreeWidgetItem* next = list->topLevelItem(std::min(lowest, count - 1));
        list->setCurrentItem(next);
        next->setSelected(true);
        list->scrollToItem(next);
    }
    list->setFocus();
}

void TLinkPage::ActionURLEmptyExecute() {
    page_.ListViewInputURL->clear();
}

void TLinkPage::ListViewInputURLDblClick() {
    const QList<QTreeWidgetItem*> selected = page_.ListViewInputURL->selectedItems();
    if (!selected.isEmpty())
        OpenWithShell(services_, page_.ListViewInputURL->window(), selected.first()->text(0));
}

void TLinkPage::ActionListURLUpdate() {
    if (!actions_.ActionURLPaste)
        return;
    QTreeWidget* list = page_.ListViewInputURL;
    actions_.ActionURLPaste->setEnabled(!clipboardHasNoText_());
    actions_.ActionURLRemove->setEnabled(!list->selectedItems().isEmpty());
    actions_.ActionURLEmpty->setEnabled(list->topLevelItemCount() > 0);
}
