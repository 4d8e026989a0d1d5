#pragma once

#include <QStyledItemDelegate>

class QTreeWidget;

// Fits a report list's columns to the list: the first and last columns share what the
// middle ones leave, so no column is pushed out of sight; cut texts keep their ends and
// show whole as a tool tip.
void FitReportColumns(QTreeWidget* list);

// Shows a cell's whole text as its tool tip when the cell is too narrow for it.
class TElidedTextTips : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
};
