#include "frontend/MessageDialog.h"

#include "frontend/ApplicationTitle.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QPointer>
#include <QPushButton>
#include <QSpacerItem>
#include <array>
#include <utility>

namespace {

// Button order of the dialog; custom captions are applied in this order.
constexpr std::array kButtonOrder = {
    QMessageBox::Yes,   QMessageBox::No,     QMessageBox::Ok,      QMessageBox::Cancel,   QMessageBox::Abort,
    QMessageBox::Retry, QMessageBox::Ignore, QMessageBox::NoToAll, QMessageBox::YesToAll, QMessageBox::Help,
};

struct KindRow {
    TMsgDlgType kind;
    QMessageBox::Icon icon;
    TSystemSound sound;
};

constexpr std::array kKinds = {
    KindRow{TMsgDlgType::mtWarning, QMessageBox::Warning, TSystemSound::Exclamation},
    KindRow{TMsgDlgType::mtError, QMessageBox::Critical, TSystemSound::Hand},
    KindRow{TMsgDlgType::mtInformation, QMessageBox::Information, TSystemSound::Default},
    KindRow{TMsgDlgType::mtConfirmation, QMessageBox::Question, TSystemSound::Question},
    KindRow{TMsgDlgType::mtCustom, QMessageBox::NoIcon, TSystemSound::Default},
};

const KindRow& kindRow(TMsgDlgType kind) {
    for (const KindRow& row : kKinds)
        if (row.kind == kind)
            return row;
    return kKinds.back();
}

// Room the window manager takes beside the title text: its icon and three title buttons.
constexpr int kTitleBarChrome = 140;

// A short message makes a narrow box, and the window manager then cuts the caption; a spacer
// under the grid keeps the box wide enough for its caption in a bold title font.
void KeepCaptionVisible(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    QFont titleFont = box.font();
    titleFont.setBold(true);
    const int width = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + kTitleBarChrome;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

} // namespace

QMessageBox::StandardButton RunMessageBox(QWidget* parent, const TMessageRequest& request) {
    QMessageBox box(kindRow(request.Kind).icon, request.Caption, request.Message, QMessageBox::NoButton,
                    parent);
    int captionIndex = 0;
    for (QMessageBox::StandardButton id : kButtonOrder) {
        if (!(request.Buttons & id))
            continue;
        QPushButton* button = box.addButton(id);
        if (captionIndex < request.ButtonCaptions.size()) {
            const QString& caption = request.ButtonCaptions[captionIndex++];
            if (!caption.isEmpty())
                button->setText(caption);
        }
    }
    KeepCaptionVisible(box);
    box.exec();
    return box.standardButton(box.clickedButton());
}

QMessageBox::StandardButton ShowMessageDialog(TServices& services, QWidget* parent, const QString& message,
                                              const QString& caption, TMsgDlgType kind,
                                              const QStringList& buttonCaptions,
                                              QMessageBox::StandardButtons buttons) {
    services.Sound.PlaySystemSound(kindRow(kind).sound);
    return services.Dialogs.MessageDialog(parent, {message, caption, kind, buttonCaptions, buttons});
}

bool Confirm(TServices& services, QWidget* parent, const QString& message) {
    return ShowMessageDialog(services, parent, message, ApplicationTitle(), TMsgDlgType::mtConfirmation, {},
                             QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void Notice(TServices& services, QWidget* parent, const QString& message) {
    ShowMessageDialog(services, parent, message, ApplicationTitle(), TMsgDlgType::mtInformation, {},
                      QMessageBox::Ok);
}

void OpenWithShell(TServices& services, QWidget* parent, const QString& target) {
    // The answer may come after the asking window has closed; then nobody is told.
    QPointer<QWidget> owner(parent);
    services.Shell.OpenWithShell(target, [services, owner, hadOwner = parent != nullptr, target]() mutable {
        if (hadOwner && !owner)
            return;
        ErrorBox(services, owner,
                 QStringLiteral("Cannot open \"%1\": no program is set up to open it.").arg(target));
    });
}

void ErrorBox(TServices& services, QWidget* parent, const QString& message) {
    ShowMessageDialog(services, parent, message, ApplicationTitle(), TMsgDlgType::mtError, {},
                      QMessageBox::Ok);
}

bool BrowseForFolder(TServices& services, QWidget* owner, QString& path, const QString& prompt, int flags,
                     const QString& root) {
    // Every folder Qt's browser returns is a file-system folder, which is what flag 1 asks for.
    (void)flags;
    return services.Dialogs.BrowseForFolder(owner, path, prompt, root);
}
