#pragma once

#include "frontend/Services.h"

#include <memory>

// The real implementations (Qt dialogs, QDesktopServices, QSoundEffect, logind).
// Only the program constructs this; tests never do.
class TDesktopServices {
public:
    TDesktopServices();
    ~TDesktopServices();
    TDesktopServices(const TDesktopServices&) = delete;
    TDesktopServices& operator=(const TDesktopServices&) = delete;

    TServices Bundle();

private:
    std::unique_ptr<IDialogService> dialogs_;
    std::unique_ptr<IShellService> shell_;
    std::unique_ptr<ISoundService> sound_;
    std::unique_ptr<IPowerService> power_;
};
