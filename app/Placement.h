#pragma once

#include <QPoint>
#include <QSize>
#include <QString>

class QWidget;

// A window's placement as a settings section stores it.
struct TPlacement {
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    bool Maximized = false;
};

// Where a window of the placement's size goes so that it stays on a screen of the
// given size: a size larger than the screen counts as the screen's size, an edge
// past the right or bottom is pulled back, a negative position becomes 0.
QPoint ClampPlacement(const TPlacement& placement, const QSize& screen);

// Reads section (x, y, height, width defaulting to the window's current values,
// maximized to false) from the file and moves the window there, keeping it on the
// primary screen. The window's size is not changed.
void LoadPlacement(const QString& section, QWidget* window, const QString& filePath);

// Whether the file holds a position for section.
bool HasPlacement(const QString& section, const QString& filePath);

// Writes the window's x, y, height, width and maximized state into section.
// Throws std::runtime_error when the file cannot be written.
void SavePlacement(const QString& section, QWidget* window, const QString& filePath);
