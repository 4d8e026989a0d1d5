// The format page in the window: class and format buttons, stacked preset lists, and
// the choice shown from and taken back into the settings.

#include "ConvertWindow.h"
#include "GalleryShot.h"
#include "ImageButton.h"
#include "ImageComboBox.h"
#include "InputRowTexts.h"
#include "PageControl.h"

#include <QAction>
#include <QLineEdit>

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
    TImageButton* Button(TFormatId id) const { return form->FormatButton(TPresetSlot(id)); }

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
