#pragma once

#include <string>

// Root of the engine's components (the encoder and the probe decoder).
class TFFBaseComponent {
public:
    TFFBaseComponent() = default;
    virtual ~TFFBaseComponent() = default;
    TFFBaseComponent(const TFFBaseComponent&) = delete;
    TFFBaseComponent& operator=(const TFFBaseComponent&) = delete;

    // Design-time text shown by component editors; carries no behaviour.
    std::string About;
};
