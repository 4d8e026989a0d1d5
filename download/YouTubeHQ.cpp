#include "download/YouTubeHQ.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kColumnWidth = 80;

QPushButton* NewButton(QWidget* parent, const char* name, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

TFormYouTubeHQ::TFormYouTubeHQ(TQualitySlots& stored, QWidget* parent) : QDialog(parent), slots_(stored) {
    setObjectName("FormYouTubeHQ");
    setWindowTitle("Prefer YouTube high quality");
    // Fixed dialog border with the close box only.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    ListViewYouTubeHQ = new QTreeWidget(this);
    ListViewYouTubeHQ->setObjectName("ListViewYouTubeHQ");
    ListViewYouTubeHQ->setRootIsDecorated(false);
    ListViewYouTubeHQ->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListViewYouTubeHQ->setSelectionMode(QAbstractItemView::SingleSelection);
    ListViewYouTubeHQ->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListViewYouTubeHQ->setHeaderLabels({"Type", "Format", "Video", "Audio"});
    ListViewYouTubeHQ->header()->setSectionsMovable(false);
    for (int column = 0; column < 4; ++column)
        ListViewYouTubeHQ->setColumnWidth(column, kColumnWidth);
    ListViewYouTubeHQ->setMinimumSize(4 * kColumnWidth + 8, 190);

    ButtonUp = NewButton(this, "ButtonUp", "&Up");
    ButtonDown = NewButton(this, "ButtonDown", "&Down");
    ButtonDefault = NewButton(this, "ButtonDefault", "&Default");
    ButtonBestAvailable = NewButton(this, "ButtonBestAvailable", "&Best Available");
    ButtonOK = NewButton(this, "ButtonOK", "&OK");
    ButtonOK->setDefault(true);
    ButtonCancel = NewButton(this, "ButtonCancel", "&Cancel");

    auto* side = new QVBoxLayout;
    for (QPushButton* button : {ButtonUp, ButtonDown, ButtonDefault, ButtonBestAvailable})
        side->addWidget(button);
    side->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(ListViewYouTubeHQ);
    top->addLayout(side);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(ButtonOK);
    bottom->addWidget(ButtonCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(ButtonUp, &QPushButton::clicked, this, &TFormYouTubeHQ::ButtonUpClick);
    connect(ButtonDown, &QPushButton::clicked, this, &TFormYouTubeHQ::ButtonDownClick);
    connect(ButtonDefault, &QPushButton::clicked, this, &TFormYouTubeHQ::ButtonDefaultClick);
    connect(ButtonBestAvailable, &QPushButton::clicked, this, &TFormYouTubeHQ::ButtonBestAvailableClick);
    connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    FillList();
}

void TFormYouTubeHQ::FillList() {
    ListViewYouTubeHQ->clear();
    std::array<bool, kQualitySlotCount> listed{};
    const auto addRow = [&](int code) {
        const TQualityInfo* q = FindQuality(code);
        if (!q || listed[code])
            return;
        listed[code] = true;
        new QTreeWidgetItem(ListViewYouTubeHQ,
                            {Text(q->ShortLabel), Text(q->Format), Text(q->Video), Text(q->Audio)});
    };
    for (std::uint8_t code : slots_)
        addRow(code);
    for (int code = 0; code < kQualitySlotCount; ++code)
        addRow(code);
}

void TFormYouTubeHQ::StoreList() {
    for (int row = 0; row < kQualitySlotCount && row < ListViewYouTubeHQ->topLevelItemCount(); ++row) {
        const QString type = ListViewYouTubeHQ->topLevelItem(row)->text(0);
        slots_[static_cast<std::size_t>(row)] =
            static_cast<std::uint8_t>(QualityCodeOfLabel(type.toStdString()));
    }
}

void TFormYouTubeHQ::MoveSelected(int step) {
    QTreeWidget* list = ListViewYouTubeHQ;
    QTreeWidgetItem* item = list->currentItem();
    const int row = item && item->isSelected() ? list->indexOfTopLevelItem(item) : -1;
    const int target = row + step;
    if (row >= 0 && target >= 0 && target < list->topLevelItemCount()) {
        list->takeTopLevelItem(row);
        list->insertTopLevelItem(target, item);
        list->setCurrentItem(item);
        item->setSelected(true);
        list->scrollToItem(item);
    }
    list->setFocus();
}

void TFormYouTubeHQ::ButtonUpClick() {
    MoveSelected(-1);
}

void TFormYouTubeHQ::ButtonDownClick() {
    MoveSelected(+1);
}

void TFormYouTubeHQ::ButtonDefaultClick() {
    slots_ = kDefaultQualityOrder;
    FillList();
}

void TFormYouTubeHQ::ButtonBestAvailableClick() {
    slots_ = kBestAvailableOrder;
    FillList();
}
