#include "app/Placement.h"

#include "support/IniFile.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

QPoint ClampPlacement(const TPlacement& placement, const QSize& screen) {
    const int width = std::min(placement.Width, screen.width());
    const int height = std::min(placement.Height, screen.height());
    int x = placement.X;
    int y = placement.Y;
    if (x + width > screen.width())
        x = screen.width() - width;
    if (y + height > screen.height())
        y = screen.height() - height;
    return QPoint(std::max(x, 0), std::max(y, 0));
}

void LoadPlacement(const QString& section, QWidget* window, const QString& filePath) {
    const TIniFile ini(filePath.toStdString());
    const std::string s = section.toStdString();
    const QRect frame = window->frameGeometry();
    TPlacement placement;
    placement.Maximized = ini.ReadBool(s, "maximized", false);
    placement.X = ini.ReadInteger(s, "x", frame.x());
    placement.Y = ini.ReadInteger(s, "y", frame.y());
    placement.Height = ini.ReadInteger(s, "height", frame.height());
    placement.Width = ini.ReadInteger(s, "width", frame.width());
    QPoint position(placement.X, placement.Y);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        position = ClampPlacement(placement, screen->geometry().size());
    window->move(position);
    window->setWindowState(placement.Maximized ? (window->windowState() | Qt::WindowMaximized)
                                               : (window->windowState() & ~Qt::WindowMaximized));
}

bool HasPlacement(const QString& section, const QString& filePath) {
    const TIniFile ini(filePath.toStdString());
    const std::string s = section.toStdString();
    return ini.ValueExists(s, "x") && ini.ValueExists(s, "y");
}

void SavePlacement(const QString& section, QWidget* window, const QString& filePath) {
    TIniFile ini(filePath.toStdString());
    const std::string s = section.toStdString();
    const QRect frame = window->frameGeometry();
    ini.WriteInteger(s, "x", frame.x());
    ini.WriteInteger(s, "y", frame.y());
    ini.WriteInteger(s, "height", frame.height());
    ini.WriteInteger(s, "width", frame.width());
    ini.WriteBool(s, "maximized", window->isMaximized());
    ini.UpdateFile();
}
