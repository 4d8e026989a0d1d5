#pragma once

#include "frontend/GlobalVars.h"
#include "frontend/WizardWidgets.h"

#include <QObject>
#include <QString>
#include <functional>

class TFormYouTubeHQ;

// The link page's quality group: whether the priority list is used, its summary, and the
// dialog that orders it.
class TQualityGroup : public QObject {
    Q_OBJECT
public:
    // window: the dialog is centred over it.
    TQualityGroup(QWidget& window, const TLinkPageWidgets& page, TGlobalVars& globals);

    // The summary for the box's state and the stored slots.
    QString QualitySummary() const;

    void CheckBoxYouTubeQualityClick();
    void ButtonYouTubeQualityConfigClick();

    // Shows the dialog modally (tests answer it instead).
    std::function<int(TFormYouTubeHQ&)> ShowDialog;

private:
    QWidget& window_;
    TLinkPageWidgets page_;
    TGlobalVars& globals_;
};
