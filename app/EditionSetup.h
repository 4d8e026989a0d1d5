#pragma once

#include <QPoint>
#include <QSize>
#include <QString>
#include <optional>
#include <string>

class TFormMain;

// Program start: reads the edition's name from the edition file in exeDir, makes it
// the application title and, when the edition table knows the title, sets the
// application icon from the program's icon folder. Returns the title.
QString StartEdition(const std::string& exeDir);

// The button-grid rule: the position of the k-th placed button on a page of the
// given width, origin, cell size and gaps. The column count divides by the cell
// width alone, and is at least 1.
QPoint GridCell(int pageWidth, QPoint origin, QSize cell, int gapX, int gapY, int k);

// Reads the edition file and applies it to the window: captions, download and join
// modes, images of the resource folder, skin layout, format and class buttons and
// the seeds of the class and format choices. Returns the error text when the
// edition is misconfigured (an image missing or unreadable, a Skin that is not a
// decimal integer); the window's set-up must stop then.
std::optional<QString> ApplyEditionProfile(TFormMain& form);
