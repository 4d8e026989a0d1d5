#include "app/FormAbout.h"

#include "app/EditionFile.h"
#include "app/EditionSkin.h"
#include "app/Links.h"
#include "frontend/ApplicationTitle.h"
#include "frontend/ClickLabel.h"
#include "frontend/MessageDialog.h"

#include <QDate>
#include <QFrame>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

namespace {

const QString kCopyrightCaption = QStringLiteral("Copyright \u00A9 %1 %2. All rights reserved.");

QLabel* text(QWidget* parent, const QString& caption, QRect bounds) {
    auto* label = new QLabel(caption, parent);
    label->setGeometry(bounds);
    return label;
}

TClickLabel* link(QWidget* parent, const char* name, QRect bounds) {
    auto* label = new TClickLabel(parent);
    label->setObjectName(name);
    label->setGeometry(bounds);
    label->setCursor(Qt::PointingHandCursor);
    label->setStyleSheet("color: #0645ad");
    return label;
}

} // namespace

TFormAbout::TFormAbout(TServices services, std::string exeDir, QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      services_(services), exeDir_(std::move(exeDir)) {
    setObjectName("FormAbout");
    setWindowTitle("About ");
    setFixedSize(535, 298);

    PanelmageLeft = new QFrame(this);
    PanelmageLeft->setObjectName("PanelmageLeft");
    PanelmageLeft->setFrameShape(QFrame::Panel);
    PanelmageLeft->setFrameShadow(QFrame::Sunken);
    PanelmageLeft->setGeometry(12, 12, 175, 242);
    ImageLeft = link(PanelmageLeft, "ImageLeft", {2, 2, 171, 238});
    ImageLeft->setAlignment(Qt::AlignCenter);

    PageControlMain = new QTabWidget(this);
    PageControlMain->setObjectName("PageControlMain");
    PageControlMain->setGeometry(200, 8, 329, 245);
    TabSheetAbout = new QWidget;
    TabSheetAbout->setObjectName("TabSheetAbout");
    TabSheetUpdate = new QWidget;
    TabSheetUpdate->setObjectName("TabSheetUpdate");
    PageControlMain->addTab(TabSheetAbout, "About");
    PageControlMain->addTab(TabSheetUpdate, "Update");

    LabalTitle = text(TabSheetAbout, QString(), {12, 14, 300, 20});
    LabalTitle->setObjectName("LabalTitle");
    LabalTitle->setStyleSheet("font-weight: bold");
    LabelCopyright = text(TabSheetAbout, kCopyrightCaption, {12, 44, 300, 36});
    LabelCopyright->setObjectName("LabelCopyright");
    LabelCopyright->setWordWrap(true);
    // Addresses get a line of their own: they are long and do not wrap.
    text(TabSheetAbout, "Web site:", {12, 92, 300, 18});
    LabelWeb = link(TabSheetAbout, "LabelWeb", {12, 110, 305, 18});
    text(TabSheetAbout, "Support:", {12, 136, 300, 18});
    LabelSupportEmail = link(TabSheetAbout, "LabelSupportEmail", {12, 154, 305, 18});

    text(TabSheetUpdate, "Product information", {12, 10, 300, 18})->setStyleSheet("font-weight: bold");
    auto* group = new QFrame(TabSheetUpdate);
    group->setObjectName("PanelProductInformation");
    group->setFrameShape(QFrame::StyledPanel);
    group->setGeometry(12, 32, 300, 170);
    LabelVersion = text(group, "%s", {10, 10, 280, 18});
    LabelVersion->setObjectName("LabelVersion");
    text(group, "Check for update", {10, 40, 280, 18})->setStyleSheet("font-weight: bold");
    text(group, "To ensure you're using the latest version, click on the ", {10, 64, 285, 18});
    text(group, "Updates button below.", {10, 82, 280, 18});
    ButtonUpdates = new QPushButton("&Updates...", group);
    ButtonUpdates->setObjectName("ButtonUpdates");
    ButtonUpdates->setGeometry(10, 120, 100, 26);

    ButtonOK = new QPushButton("&OK", this);
    ButtonOK->setObjectName("ButtonOK");
    ButtonOK->setGeometry(455, 265, 75, 25);
    ButtonOK->setDefault(true);

    connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(LabelWeb, &TClickLabel::clicked, this, &TFormAbout::LabelWebClick);
    connect(LabelSupportEmail, &TClickLabel::clicked, this, &TFormAbout::LabelSupportEmailClick);
    connect(ButtonUpdates, &QPushButton::clicked, this, &TFormAbout::ButtonUpdatesClick);
    connect(ImageLeft, &TClickLabel::clicked, this, &TFormAbout::ImageLeftClick);
}

std::optional<QString> TFormAbout::FormCreate() {
    const int year = QDate::currentDate().year();
    const TEditionProfile edition = ReadEditionFile(exeDir_ + kEditionFileName);
    int skin = 0;
    if (!ParseSkinNumber(edition.Skin, skin))
        return QStringLiteral("'%1' is not a valid integer value").arg(QString::fromStdString(edition.Skin));

    LabelVersion->setText(LabelVersion->text().replace("%s", QString::fromStdString(edition.Version)));
    LabelCopyright->setText(
        kCopyrightCaption.arg(QString::number(year), QString::fromStdString(edition.Copyright)));

    if (skin == 3) {
        PanelmageLeft->hide();
        PageControlMain->move(10, PageControlMain->y());
        const int tabsRight = PageControlMain->x() + PageControlMain->width();
        ButtonOK->move(tabsRight - ButtonOK->width(), ButtonOK->y());
        setFixedWidth(tabsRight + 15);
    } else {
        const QString path =
            QString::fromStdString(ResourceFolder(exeDir_, edition.Res)) + QStringLiteral("leftlogo.png");
        QImageReader reader(path);
        const QImage image = reader.read();
        if (image.isNull())
            return QStringLiteral("Cannot load \"%1\": %2").arg(path, reader.errorString());
        ImageLeft->setPixmap(QPixmap::fromImage(image).scaled(ImageLeft->size(), Qt::KeepAspectRatio,
                                                              Qt::SmoothTransformation));
    }

    const QString title = ApplicationTitle();
    LabelWeb->setText(LookupLink(TLinkKind::lkHomePage, title));
    LabelSupportEmail->setText(LookupLink(TLinkKind::lkSupport, title));
    LabalTitle->setText(QStringLiteral("%1 %2").arg(title, LabelVersion->text()));
    FitTexts();
    return std::nullopt;
}

void TFormAbout::FitTexts() {
    // Fonts differ between systems and addresses between editions: the pages grow to
    // show their longest line whole.
    const QList<QLabel*> labels = PageControlMain->findChildren<QLabel*>();
    int extra = 0;
    for (QLabel* label : labels)
        if (!label->wordWrap())
            extra = std::max(extra, label->sizeHint().width() - label->width());
    if (extra <= 0)
        return;
    for (QLabel* label : labels)
        if (!label->wordWrap())
            label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
    for (QWidget* widget : {static_cast<QWidget*>(PageControlMain),
                            PageControlMain->findChild<QWidget*>("PanelProductInformation")})
        widget->resize(widget->width() + extra, widget->height());
    ButtonOK->move(ButtonOK->x() + extra, ButtonOK->y());
    setFixedWidth(width() + extra);
}

void TFormAbout::LabelWebClick() {
    OpenWithShell(services_, this, LabelWeb->text());
}

void TFormAbout::LabelSupportEmailClick() {
    OpenWithShell(services_, this, LookupLink(TLinkKind::lkSupport, ApplicationTitle()));
}

void TFormAbout::ButtonUpdatesClick() {
    OpenWithShell(services_, this, LookupLink(TLinkKind::lkUpdates, ApplicationTitle()));
}

void TFormAbout::ImageLeftClick() {
    ButtonUpdatesClick();
}

void ShowAboutBox(TServices services, const std::string& exeDir, QWidget* mainWindow) {
    TFormAbout about(services, exeDir, mainWindow);
    if (std::optional<QString> error = about.FormCreate()) {
        ErrorBox(services, mainWindow, *error);
        return;
    }
    const QRect main = mainWindow->geometry();
    about.move(main.x() + (main.width() - about.width()) / 2,
               main.y() + (main.height() - about.height()) / 2);
    about.exec();
}
