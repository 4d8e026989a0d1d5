#pragma once

#include <QString>

// The application title (the edition's name), kept on the application object. Message
// boxes, captions and links use it.
void SetApplicationTitle(const QString& title);
QString ApplicationTitle();
