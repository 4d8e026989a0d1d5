#include "convert/FailedAddFileDialog.h"

#include "frontend/MessageDialog.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>

namespace {
const QString kDescription = QStringLiteral("Failed to add the following files. The converter might not "
                                            "support the file type or might not support the "
                                            "codec that was used to compress the file. Click \"More "
                                            "Information\" to view a list of supported file types "
                                            "and releavant codecs.");
constexpr QSize kClientSize(450, 300);
} // namespace

TFormFailedAddFile::TFormFailedAddFile(TServices services, QString supportAddress, QWidget* parent)
    : QDialog(parent), services_(services), supportAddress_(std::move(supportAddress)) {
    setObjectName(QStringLiteral("FormFailedAddFile"));
    setWindowTitle(QStringLiteral("Failed to Add Files"));
    setFixedSize(kClientSize);

    ImageIcon = new QLabel(this);
    ImageIcon->setObjectName(QStringLiteral("ImageIcon"));
    ImageIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    ImageIcon->setGeometry(12, 12, 32, 32);

    LabelDescription = new QLabel(kDescription, this);
    LabelDescription->setObjectName(QStringLiteral("LabelDescription"));
    LabelDescription->setWordWrap(true);
    LabelDescription->setGeometry(56, 8, kClientSize.width() - 68, 64);

    ListViewFiles = new QTreeWidget(this);
    ListViewFiles->setObjectName(QStringLiteral("ListViewFiles"));
    ListViewFiles->setRootIsDecorated(false);
    ListViewFiles->setHeaderLabels({QStringLiteral("File")});
    ListViewFiles->header()->setStretchLastSection(true);
    ListViewFiles->setGeometry(12, 80, kClientSize.width() - 24, kClientSize.height() - 128);

    const int buttonsTop = kClientSize.height() - 38;
    ButtonMoreInformation = new QPushButton(QStringLiteral("More Information..."), this);
    ButtonMoreInformation->setObjectName(QStringLiteral("ButtonMoreInformation"));
    ButtonMoreInformation->setGeometry(12, buttonsTop, 130, 26);
    ButtonMoreInformation->setEnabled(!supportAddress_.isEmpty());
    connect(ButtonMoreInformation, &QPushButton::clicked, this,
            &TFormFailedAddFile::ButtonMoreInformationClick);

    ButtonClose = new QPushButton(QStringLiteral("Close"), this);
    ButtonClose->setObjectName(QStringLiteral("ButtonClose"));
    ButtonClose->setGeometry(kClientSize.width() - 102, buttonsTop, 90, 26);
    ButtonClose->setDefault(true);
    connect(ButtonClose, &QPushButton::clicked, this, &QDialog::accept);
}

void TFormFailedAddFile::SetMessages(const QStringList& messages) {
    ListViewFiles->clear();
    for (const QString& message : messages) {
        auto* row = new QTreeWidgetItem(ListViewFiles, {message});
        row->setToolTip(0, message);
    }
}

void TFormFailedAddFile::ButtonMoreInformationClick() {
    if (!supportAddress_.isEmpty())
        OpenWithShell(services_, this, supportAddress_);
}

void ShowFailedAddFiles(TServices services, const QString& supportAddress, QWidget* window,
                        const QStringList& messages) {
    TFormFailedAddFile dialog(services, supportAddress, window);
    dialog.SetMessages(messages);
    if (window) {
        const QRect frame = window->frameGeometry();
        dialog.move(frame.center() - QPoint(dialog.width() / 2, dialog.height() / 2));
    }
    dialog.exec();
}
