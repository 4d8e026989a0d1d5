// The format page in the window: class and format buttons, stacked preset lists, and
// the choice shown from and taken back into the settings.

#include "ConvertWindow.h"
#include "GalleryShot.h"
#include "convert/InputRowTexts.h"
#include "ui/ImageButton.h"
#include "ui/ImageComboBox.h"
#include "ui/PageControl.h"

#include <QAction>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionComboBox>

namespace {

class FormatPageTest : public ConvertWindow {
protected:
    void SetUp() override {
        Start(
            Edition("Name=Wiz Converter\nDownload=0\nMP3=1\nWAV=1\nFLAC=1\nAVI=1\nWMV=1\nIPOD=1\nIPAD=1\n"));
        page = form->FormatPage.get();
        grid->insertRow(0);
        grid->setItem(0, NxTextColumnFileFullName, new QTableWidgetItem("/media/a.avi"));
    }
    void ToFormatPage() {
        wizard->ActionNext->trigger();
        ASSERT_EQ(wizard->CurrentPage(), TWizardPage::Step2);
    }
    TImageButton* Button(TFormatId id) const { return form->FormatButton(id); }

    TFormatPage* page = nullptr;
};

TEST_F(FormatPageTest, CatalogueFillsEveryListAndTheFirstRunShowsTheDefaults) {
    for (const TFormatInfo& format : AllFormats()) {
        TImageComboBox* list = page->PresetList(format.Id);
        ASSERT_EQ(list->count(), int(format.Presets.size())) << format.Name;
        EXPECT_EQ(list->objectName(), "ImageComboBox" +
                                          QString::fromLatin1(format.Name.data(), int(format.Name.size())) +
                                          "Presets");
        EXPECT_EQ(list->maxVisibleItems(), 10);
    }
    vars->OutputFormatClass = fcVideo;
    vars->OutputVideoFormat = 6; // WMV
    ToFormatPage();
    EXPECT_EQ(page->PresetList(fmtWMV)->currentText(), "Windows Media Video 9 Standard Quality");
    EXPECT_EQ(page->PresetList(fmtFLAC)->currentText(), "Compression Level 5 (Default)");
    EXPECT_EQ(page->FrontPresetList(fcVideo), page->PresetList(fmtWMV));
    EXPECT_EQ(form->Pages.Format.RzPageControlToFormat->currentWidget(),
              form->Pages.Format.TabSheetToFormatVideo);
    EXPECT_FALSE(form->Pages.Format.ButtonToFormatVideo->isEnabled());
    EXPECT_TRUE(form->Pages.Format.ButtonToFormatAudio->isEnabled());
    EXPECT_FALSE(Button(fmtWMV)->isEnabled());
    EXPECT_TRUE(Button(fmtAVI)->isEnabled());
    form->show();
    GalleryShot(form, "FormatPage");
}

TEST_F(FormatPageTest, EachClassKeepsItsOwnFormatAndNextTakesThePresets) {
    vars->OutputFormatClass = fcAudio;
    vars->OutputAudioFormat = 0;    // WAV
    vars->Presets[fmtMP3] = 99;     // outside its list
    vars->OutputDeviceFormat = 200; // outside its class: presses nothing
    ToFormatPage();
    EXPECT_EQ(form->Pages.Format.RzPageControlToFormat->currentWidget(),
              form->Pages.Format.TabSheetToFormatAudio);
    EXPECT_EQ(page->PresetList(fmtMP3)->ItemIndex(), -1);

    Button(fmtMP3)->click();
    EXPECT_EQ(vars->OutputAudioFormat, 1);
    EXPECT_FALSE(Button(fmtMP3)->isEnabled());
    EXPECT_TRUE(Button(fmtWAV)->isEnabled());
    EXPECT_EQ(page->FrontPresetList(fcAudio), page->PresetList(fmtMP3));

    form->Pages.Format.ButtonToFormatVideo->click();
    EXPECT_EQ(vars->OutputFormatClass, fcVideo);
    EXPECT_EQ(form->Pages.Format.RzPageControlToFormat->currentWidget(),
              form->Pages.Format.TabSheetToFormatVideo);
    form->Pages.Format.ButtonToFormatAudio->click();
    EXPECT_EQ(vars->OutputFormatClass, fcAudio);
    EXPECT_FALSE(Button(fmtMP3)->isEnabled()) << "Audio still shows MP3";
    EXPECT_EQ(vars->OutputAudioFormat, 1);

    page->PresetList(fmtWAV)->SetItemIndex(4);
    pages->Format.EditOutputDir->setText(scratch); // typed without a separator
    wizard->ActionNext->trigger();                 // Convert: takes the page's values
    EXPECT_EQ(vars->Presets[fmtWAV], 4);
    EXPECT_EQ(vars->Presets[fmtMP3], -1);
    EXPECT_EQ(vars->Presets[fmtFLAC], 5);
    EXPECT_EQ(vars->OutputFileDir, scratch + "/");
    // The only row names no file: the run still ends on the summary page.
    EXPECT_TRUE(WaitUntil([this] { return wizard->CurrentPage() == TWizardPage::Step4; }));
    EXPECT_EQ(SummaryCounts(), "0/0/0");
}

} // namespace

namespace {

// The choice is seen at a glance with the program's own format pictures: the chosen
// format of each class shows its chosen picture, the others their normal one, and the
// chosen class is marked.
TEST_F(FormatPageTest, TheChosenClassAndFormatShowAtAGlanceWithTheRealPictures) {
    ToFormatPage();
    form->show();
    const QString formats = QString::fromStdString(fut->dir.ExeDir()) + "formats/";
    const struct {
        TFormatClass Class;
        TFormatId Chosen, Other;
        const char* Shot;
    } classes[] = {{fcVideo, fmtWMV, fmtAVI, "FormatPage-Video"},
                   {fcDevice, fmtiPad, fmtiPod, "FormatPage-Device"},
                   {fcAudio, fmtFLAC, fmtMP3, "FormatPage-Audio"}};
    for (const auto& c : classes) {
        form->Pages.Format.ClassButtons()[c.Class]->click();
        Button(c.Chosen)->click();
        const auto picture = [&](TFormatId id, int state) {
            const QString name =
                QString::fromLatin1(FormatInfo(id).Name.data(), int(FormatInfo(id).Name.size()));
            return QImage(formats + name.toLower() + QStringLiteral("_%1.png").arg(state))
                .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        };
        // Where the picture is opaque, the button shows exactly it.
        const auto shows = [&](TFormatId id, const QImage& expected) {
            const QImage shown =
                Button(id)->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
            if (shown.size() != expected.size())
                return false;
            for (int y = 0; y < expected.height(); ++y)
                for (int x = 0; x < expected.width(); ++x)
                    if (qAlpha(expected.pixel(x, y)) == 255 && shown.pixel(x, y) != expected.pixel(x, y))
                        return false;
            return true;
        };
        ASSERT_FALSE(picture(c.Chosen, 4).isNull()) << "no chosen picture for " << c.Shot;
        EXPECT_TRUE(shows(c.Chosen, picture(c.Chosen, 4))) << c.Shot;
        EXPECT_TRUE(shows(c.Other, picture(c.Other, 1))) << c.Shot;
        for (int other = 0; other < kFormatClassCount; ++other)
            EXPECT_EQ(form->Pages.Format.ClassButtons()[other]->isChecked(), other == c.Class);
        GalleryShot(form, c.Shot);
    }
}

// Captions were cut in the closed list (the iPod ones lost their audio bit rate); every
// caption of every format fits the list's text field, and the list stays above the folder row.
TEST_F(FormatPageTest, EveryPresetCaptionFitsItsClosedList) {
    ToFormatPage();
    form->show();
    for (const TFormatInfo& format : AllFormats()) {
        TImageComboBox* list = page->PresetList(format.Id);
        QStyleOptionComboBox option;
        option.initFrom(list);
        option.rect = QRect(QPoint(), list->parentWidget()->size());
        const QRect field =
            list->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, list);
        for (int i = 0; i < list->count(); ++i)
            EXPECT_LE(list->fontMetrics().horizontalAdvance(list->itemText(i)), field.width())
                << list->itemText(i).toStdString();
        const QPoint bottom =
            list->parentWidget()->mapTo(form->TabSheetStep2, QPoint(0, list->parentWidget()->height()));
        EXPECT_LT(bottom.y(), form->Pages.Format.EditOutputDir->y() - 20) << format.Name;
    }
}

} // namespace
