#include "convert/FormatPage.h"

#include "ui/ImageButton.h"
#include "ui/ImageComboBox.h"
#include "ui/PageControl.h"

#include <QLabel>
#include <QStackedWidget>

namespace {
// The label stands above its list so the list spans the page: device captions run to
// about 480 pixels at the default font.
constexpr QRect kPresetsCaption(10, 122, 200, 15);
constexpr int kPresetsTop = 137;
constexpr int kPresetsMargin = 8;
constexpr int kPresetsHeight = 24;

QString text(std::string_view view) {
    return QString::fromUtf8(view.data(), static_cast<int>(view.size()));
}

uint8_t& storedFormat(TGlobalVars& globals, TFormatClass formatClass) {
    switch (formatClass) {
    case fcVideo:
        return globals.OutputVideoFormat;
    case fcDevice:
        return globals.OutputDeviceFormat;
    case fcAudio:
        break;
    }
    return globals.OutputAudioFormat;
}
} // namespace

TFormatPage::TFormatPage(const TFormatPageWidgets& widgets, TGlobalVars& globals, QObject* parent)
    : QObject(parent), widgets_(widgets), globals_(globals) {
    CreatePresetLists();
    connect(widgets_.ButtonToFormatVideo, &TImageButton::clicked, this,
            &TFormatPage::ButtonToFormatVideoClick);
    connect(widgets_.ButtonToFormatDevice, &TImageButton::clicked, this,
            &TFormatPage::ButtonToFormatDeviceClick);
    connect(widgets_.ButtonToFormatAudio, &TImageButton::clicked, this,
            &TFormatPage::ButtonToFormatAudioClick);
    for (const TFormatInfo& format : AllFormats())
        if (TImageButton* button = widgets_.FormatButtons[format.Id])
            connect(button, &TImageButton::clicked, this, [this, id = format.Id] { ButtonFormatClick(id); });
}

void TFormatPage::CreatePresetLists() {
    const int listWidth = widgets_.RzPageControlToFormat->PageSize().width() - 2 * kPresetsMargin;
    for (int c = 0; c < kFormatClassCount; ++c) {
        QWidget* page = widgets_.ClassPages()[c];
        auto* caption = new QLabel(QStringLiteral("Presets:"), page);
        caption->setGeometry(kPresetsCaption);
        stacks_[c] = new QStackedWidget(page);
        stacks_[c]->setObjectName(QStringLiteral("StackPresets") + text(FormatClassName(TFormatClass(c))));
        stacks_[c]->setGeometry(kPresetsMargin, kPresetsTop, listWidth, kPresetsHeight);
    }
    // Filled once with every caption, image 0 and no indentation (the lists have no images).
    for (const TFormatInfo& format : AllFormats()) {
        auto* list = new TImageComboBox;
        list->setObjectName(QStringLiteral("ImageComboBox") + text(format.Name) + QStringLiteral("Presets"));
        for (std::string_view caption : format.Presets)
            list->AddItem(text(caption), 0, 0);
        stacks_[format.Class]->addWidget(list);
        presetLists_[format.Id] = list;
    }
}

TImageComboBox* TFormatPage::FrontPresetList(TFormatClass formatClass) const {
    return static_cast<TImageComboBox*>(stacks_[formatClass]->currentWidget());
}

void TFormatPage::ClassButtonClick(TFormatClass formatClass) {
    // Marked here rather than by exclusive checking, which passes over disabled buttons
    // and so would leave the previous choice marked too.
    for (int c = 0; c < kFormatClassCount; ++c) {
        widgets_.ClassButtons()[c]->setEnabled(c != formatClass);
        widgets_.ClassButtons()[c]->setChecked(c == formatClass);
    }
    widgets_.RzPageControlToFormat->setCurrentWidget(widgets_.ClassPages()[formatClass]);
    globals_.OutputFormatClass = formatClass;
}

void TFormatPage::ButtonFormatClick(TFormatId id) {
    const TFormatInfo& format = FormatInfo(id);
    for (const TFormatInfo& other : AllFormats()) {
        if (other.Class != format.Class)
            continue;
        if (TImageButton* button = widgets_.FormatButtons[other.Id]) {
            button->setEnabled(other.Id != id);
            button->setChecked(other.Id == id);
        }
    }
    stacks_[format.Class]->setCurrentWidget(presetLists_[id]);
    storedFormat(globals_, format.Class) = static_cast<uint8_t>(format.IndexInClass);
}

void TFormatPage::ShowSelection() {
    if (globals_.OutputFormatClass < kFormatClassCount)
        ClassButtonClick(TFormatClass(globals_.OutputFormatClass));
    for (TFormatClass c : {fcAudio, fcVideo, fcDevice})
        if (const TFormatInfo* format = FindFormat(c, storedFormat(globals_, c)))
            ButtonFormatClick(format->Id);
    for (const TFormatInfo& format : AllFormats())
        presetLists_[format.Id]->SetItemIndex(globals_.Presets[format.Id]);
}

void TFormatPage::TakeSelection() {
    for (const TFormatInfo& format : AllFormats())
        globals_.Presets[format.Id] = presetLists_[format.Id]->ItemIndex();
}
