#include "app/EditionSetup.h"

#include "app/EditionFile.h"
#include "app/EditionSkin.h"
#include "app/EditionTable.h"
#include "app/FormMain.h"
#include "frontend/ApplicationTitle.h"
#include "ui/ImageButton.h"
#include "ui/PageControl.h"
#include "ui/SkinForm.h"

#include <QApplication>
#include <QIcon>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <vector>

namespace {

const QColor kTransparent(255, 0, 255);

// Format buttons on a class page, class buttons on the format page.
constexpr QPoint kFormatOrigin(10, 5);
constexpr QSize kFormatCell(62, 57);
constexpr int kFormatGapX = 2;
constexpr int kFormatGapY = 3;
constexpr QPoint kClassOrigin(18, 135);
constexpr QSize kClassCell(171, 32);
constexpr int kFormatPagesTopSingleClass = 120;
constexpr int kFormatPagesTop = 172;

// The images of the resource folder.
struct TSkinPictures {
    QPixmap TopLogo, LeftLogo, DownloadYouTube, YouTubeConvert, Main;
    QPixmap Min[3], Close[3], Bottom[4];
};

struct TPictureFile {
    const char* Name;
    QPixmap TSkinPictures::*Single;
    QPixmap (TSkinPictures::*Series)[4];
    QPixmap (TSkinPictures::*Triple)[3];
    int Index;
};

const TPictureFile kPictureFiles[] = {
    {"toplogo.png", &TSkinPictures::TopLogo, nullptr, nullptr, 0},
    {"leftlogo.png", &TSkinPictures::LeftLogo, nullptr, nullptr, 0},
    {"downloadyoutube.png", &TSkinPictures::DownloadYouTube, nullptr, nullptr, 0},
    {"youtubeconvert.png", &TSkinPictures::YouTubeConvert, nullptr, nullptr, 0},
    {"main.bmp", &TSkinPictures::Main, nullptr, nullptr, 0},
    {"min_1.bmp", nullptr, nullptr, &TSkinPictures::Min, 0},
    {"min_2.bmp", nullptr, nullptr, &TSkinPictures::Min, 1},
    {"min_3.bmp", nullptr, nullptr, &TSkinPictures::Min, 2},
    {"close_1.bmp", nullptr, nullptr, &TSkinPictures::Close, 0},
    {"close_2.bmp", nullptr, nullptr, &TSkinPictures::Close, 1},
    {"close_3.bmp", nullptr, nullptr, &TSkinPictures::Close, 2},
    {"bottom_1.bmp", nullptr, &TSkinPictures::Bottom, nullptr, 0},
    {"bottom_2.bmp", nullptr, &TSkinPictures::Bottom, nullptr, 1},
    {"bottom_3.bmp", nullptr, &TSkinPictures::Bottom, nullptr, 2},
    {"bottom_4.bmp", nullptr, &TSkinPictures::Bottom, nullptr, 3},
};

// Loads every picture; the error text names the first file that failed.
std::optional<QString> LoadSkinPictures(const QString& folder, TSkinPictures& pictures) {
    for (const TPictureFile& file : kPictureFiles) {
        const QString path = folder + QLatin1String(file.Name);
        QImageReader reader(path);
        const QImage image = reader.read();
        if (image.isNull())
            return QStringLiteral("Cannot load \"%1\": %2").arg(path, reader.errorString());
        QPixmap& target = file.Single   ? pictures.*file.Single
                          : file.Series ? (pictures.*file.Series)[file.Index]
                                        : (pictures.*file.Triple)[file.Index];
        target = QPixmap::fromImage(image);
    }
    return std::nullopt;
}

// The format buttons' pictures are optional: a button without them draws its name.
void LoadFormatPictures(TFormMain& form) {
    const QString folder = QString::fromStdString(form.ExeDir()) + QStringLiteral("formats/");
    for (const TFormatInfo& format : AllFormats()) {
        const QString stem = folder + QString::fromLatin1(format.Name.data(), format.Name.size()).toLower();
        // Normal, mouse over, pressed and disabled: the disabled one marks the chosen format.
        QPixmap pictures[4];
        for (int i = 0; i < 4; ++i)
            pictures[i].load(stem + QStringLiteral("_%1.png").arg(i + 1));
        if (pictures[0].isNull())
            continue;
        TImageButton* button = form.FormatButton(format.Id);
        button->SetPictures(pictures[0], pictures[1], pictures[2], pictures[3]);
        button->setText(QString());
    }
}

void ShowPicture(QLabel* label, const QPixmap& picture) {
    label->setPixmap(picture);
    label->resize(picture.size());
}

void ApplySkinLayout(TFormMain& form, const TSkinLayout& layout) {
    form.ButtonMin->setVisible(layout.CaptionButtonsVisible);
    form.ButtonClose->setVisible(layout.CaptionButtonsVisible);
    form.ButtonMin->move(layout.ButtonMin);
    form.ButtonClose->move(layout.ButtonClose);
    form.ButtonHelp->move(layout.ButtonHelp);
    form.ButtonLog->move(layout.ButtonLog);
    form.ButtonBack->move(layout.ButtonBack);
    form.ButtonNext->move(layout.ButtonNext);
    form.ButtonExit->move(layout.ButtonExit);
    form.PageControlMain->move(layout.PageControlMain);
    form.SetHelpMenuOffset(layout.HelpMenuOffset);
    form.LabelTitle->move(layout.LabelTitle);
    QFont titleFont = form.LabelTitle->font();
    titleFont.setBold(layout.TitleBold);
    form.LabelTitle->setFont(titleFont);
    for (QLabel* label : {form.LabelVersion, form.LabelMoreTools}) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, layout.InfoTextColor);
        label->setPalette(palette);
        if (layout.InfoLabelsToFront)
            label->raise();
    }
    if (layout.LabelVersionTop >= 0)
        form.LabelVersion->move(form.LabelVersion->x(), layout.LabelVersionTop);
    if (layout.LabelMoreToolsTop >= 0)
        form.LabelMoreTools->move(form.LabelMoreTools->x(), layout.LabelMoreToolsTop);
    for (TImageButton* button :
         {form.ButtonHelp, form.ButtonLog, form.ButtonBack, form.ButtonNext, form.ButtonExit})
        button->SetTransparent(layout.TransparentButtons);
}

QWidget* ClassPage(TFormMain& form, TFormatClass formatClass) {
    switch (formatClass) {
    case fcVideo:
        return form.Pages.Format.TabSheetToFormatVideo;
    case fcDevice:
        return form.Pages.Format.TabSheetToFormatDevice;
    case fcAudio:
        return form.Pages.Format.TabSheetToFormatAudio;
    }
    return nullptr;
}

// Places the offered format buttons of each class page and then the visible class buttons.
void LayOutFormatButtons(TFormMain& form, const TEditionProfile& edition) {
    int placed[3] = {0, 0, 0};
    // Within a class the catalogue lists the formats in their button order.
    for (const TFormatInfo& format : AllFormats()) {
        TImageButton* button = form.FormatButton(format.Id);
        const bool offered = edition.Offered[format.Id];
        button->setVisible(offered);
        if (!offered)
            continue;
        const int pageWidth = ClassPage(form, format.Class)->width();
        button->move(GridCell(pageWidth, kFormatOrigin, kFormatCell, kFormatGapX, kFormatGapY,
                              placed[format.Class]++));
    }
    TImageButton* classButtons[] = {form.Pages.Format.ButtonToFormatVideo,
                                    form.Pages.Format.ButtonToFormatDevice,
                                    form.Pages.Format.ButtonToFormatAudio};
    std::vector<TImageButton*> visible;
    for (int c = 0; c < 3; ++c) {
        classButtons[c]->setVisible(placed[c] > 0);
        if (placed[c] > 0)
            visible.push_back(classButtons[c]);
    }
    for (size_t k = 0; k < visible.size(); ++k)
        visible[k]->move(
            GridCell(form.TabSheetStep2->width(), kClassOrigin, kClassCell, 0, 0, static_cast<int>(k)));
    QWidget* formatPages = form.Pages.Format.RzPageControlToFormat;
    if (visible.size() == 1) {
        for (TImageButton* button : classButtons)
            button->hide();
        formatPages->move(formatPages->x(), kFormatPagesTopSingleClass);
    } else {
        formatPages->move(formatPages->x(), kFormatPagesTop);
    }
}

void SeedFormatChoices(TGlobalVars& vars, const TEditionProfile& edition) {
    vars.OutputFormatClass = edition.DefaultClass >= fcVideo && edition.DefaultClass <= fcAudio
                                 ? static_cast<uint8_t>(edition.DefaultClass)
                                 : static_cast<uint8_t>(fcVideo);
    vars.OutputVideoFormat = static_cast<uint8_t>(edition.DefaultVideo & 0xFF);
    vars.OutputDeviceFormat = static_cast<uint8_t>(edition.DefaultDevice & 0xFF);
    vars.OutputAudioFormat = static_cast<uint8_t>(edition.DefaultAudio & 0xFF);
}

} // namespace

QString StartEdition(const std::string& exeDir) {
    const TEditionProfile edition = ReadEditionFile(exeDir + kEditionFileName);
    const QString title = QString::fromStdString(edition.Name);
    SetApplicationTitle(title);
    if (const TEditionRow* row = FindEditionRow(edition.Name, TEditionLookup::elStartup)) {
        const QString icon = QString::fromStdString(exeDir) + QStringLiteral("icons/%1.png").arg(row->Icon);
        QApplication::setWindowIcon(QIcon(icon));
    }
    return title;
}

QPoint GridCell(int pageWidth, QPoint origin, QSize cell, int gapX, int gapY, int k) {
    int columns = (pageWidth - origin.x() - gapX) / cell.width();
    if (columns <= 0)
        columns = 1;
    return QPoint(origin.x() + (k % columns) * (cell.width() + gapX),
                  origin.y() + (k / columns) * (cell.height() + gapY));
}

std::optional<QString> ApplyEditionProfile(TFormMain& form) {
    const QString title = ApplicationTitle();
    form.setWindowTitle(title);
    for (QLabel* label : {form.LabelFinishTitle1, form.LabelFinishTitle2, form.LabelFinishedDownloading1,
                          form.LabelFinishedDownloading2}) {
        label->setText(label->text().replace(QLatin1String("%s"), title));
        label->adjustSize();
    }

    const TEditionProfile edition = ReadEditionFile(form.ExeDir() + kEditionFileName);
    form.LabelVersion->setText(QStringLiteral("Version: %1").arg(QString::fromStdString(edition.Version)));
    form.LabelVersion->adjustSize();
    TGlobalVars& vars = form.Globals();
    vars.DownloadMode = edition.Download;
    vars.JoinMode = edition.Merge;
    int skin = 0;
    if (!ParseSkinNumber(edition.Skin, skin))
        return QStringLiteral("'%1' is not a valid integer value").arg(QString::fromStdString(edition.Skin));

    const QString resources = QString::fromStdString(ResourceFolder(form.ExeDir(), edition.Res));
    TSkinPictures pictures;
    if (std::optional<QString> error = LoadSkinPictures(resources, pictures))
        return error;
    ShowPicture(form.ImageTopLogo, pictures.TopLogo);
    ShowPicture(form.ImageLeftLogo, pictures.LeftLogo);
    ShowPicture(form.ImageDownloadVideo, pictures.DownloadYouTube);
    ShowPicture(form.ImageConvertVideo, pictures.YouTubeConvert);
    form.suiSkinFormMain->SetPicture(pictures.Main);
    form.suiSkinFormMain->SetTransparentColor(kTransparent);
    form.ButtonMin->SetPictures(pictures.Min[0], pictures.Min[1], pictures.Min[2]);
    form.ButtonClose->SetPictures(pictures.Close[0], pictures.Close[1], pictures.Close[2]);
    for (TImageButton* button :
         {form.ButtonHelp, form.ButtonLog, form.ButtonBack, form.ButtonNext, form.ButtonExit})
        button->SetPictures(pictures.Bottom[0], pictures.Bottom[1], pictures.Bottom[2], pictures.Bottom[3]);

    LoadFormatPictures(form);

    if (const TSkinLayout* layout = SkinLayoutFor(skin))
        ApplySkinLayout(form, *layout);
    LayOutFormatButtons(form, edition);
    SeedFormatChoices(vars, edition);
    return std::nullopt;
}
