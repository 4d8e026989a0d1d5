#pragma once

#include "frontend/Services.h"

// Opens targets through the desktop's opener (xdg-open), or Qt's own when there is none.
// The window never waits for the opener: its failure is reported when it ends.
class TDesktopShell final : public IShellService {
public:
    void OpenWithShell(const QString& target, std::function<void()> failed) override;
};
