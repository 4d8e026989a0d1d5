#include "app/PowerAction.h"

namespace {
const QString kShutdownPrivilege = QStringLiteral("SeShutdownPrivilege");
}

void PowerAction(IPowerService& power, TPowerKind kind) {
    // Attempted even without the privilege; the outcome is not reported.
    power.SetPrivilege(kShutdownPrivilege, true);
    power.Perform(kind);
    power.SetPrivilege(kShutdownPrivilege, false);
}
