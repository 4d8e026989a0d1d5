#include "download/QualityGroup.h"

#include "download/QualityTable.h"
#include "download/YouTubeHQ.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

TQualityGroup::TQualityGroup(QWidget& window, const TLinkPageWidgets& page, TGlobalVars& globals)
    : ShowDialog([](TFormYouTubeHQ& dialog) { return dialog.exec(); }), window_(window), page_(page),
      globals_(globals) {
    connect(page_.CheckBoxYouTubeQuality, &QCheckBox::clicked, this,
            &TQualityGroup::CheckBoxYouTubeQualityClick);
    connect(page_.ButtonYouTubeQualityConfig, &QPushButton::clicked, this,
            &TQualityGroup::ButtonYouTubeQualityConfigClick);
}

QString TQualityGroup::QualitySummary() const {
    return QString::fromStdString(
        QualitySummaryText(page_.CheckBoxYouTubeQuality->isChecked(), globals_.PreferYouTube));
}

void TQualityGroup::CheckBoxYouTubeQualityClick() {
    page_.ButtonYouTubeQualityConfig->setEnabled(page_.CheckBoxYouTubeQuality->isChecked());
    page_.LabelYouTubeQuality->setText(QualitySummary());
}

void TQualityGroup::ButtonYouTubeQualityConfigClick() {
    TFormYouTubeHQ dialog(globals_.PreferYouTube, &window_);
    dialog.adjustSize();
    dialog.move(window_.geometry().center() - dialog.rect().center());
    if (ShowDialog(dialog) != QDialog::Accepted)
        return;
    dialog.StoreList();
    page_.LabelYouTubeQuality->setText(QualitySummary());
}
