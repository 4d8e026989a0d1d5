#pragma once

#include <QColor>
#include <QPoint>
#include <string>

// Positions of the window's items for one skin layout (left, top in window pixels).
struct TSkinLayout {
    bool CaptionButtonsVisible;
    QPoint ButtonMin;
    QPoint ButtonClose;
    QPoint ButtonHelp;
    int HelpMenuOffset; // added to ButtonHelp's left edge when the help menu pops up
    QPoint ButtonLog;
    QPoint ButtonBack;
    QPoint ButtonNext;
    QPoint ButtonExit;
    QPoint PageControlMain;
    QPoint LabelTitle;
    bool TitleBold;
    QColor InfoTextColor;  // LabelVersion and LabelMoreTools
    int LabelVersionTop;   // -1 keeps the designed top
    int LabelMoreToolsTop; // -1 keeps the designed top
    bool InfoLabelsToFront;
    bool TransparentButtons; // bottom buttons drawn as white text only
};

// The layout of a Skin value 0..3; nullptr for any other value (designed positions stay).
const TSkinLayout* SkinLayoutFor(int skin);

// Converts the edition's Skin text; false when it is not a decimal integer.
bool ParseSkinNumber(const std::string& text, int& skin);
