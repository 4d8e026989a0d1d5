#pragma once

#include "frontend/Services.h"

// Switches the machine off (or ends the program) by kind, holding the shutdown
// privilege around the request. A request the system refuses fails quietly.
void PowerAction(IPowerService& power, TPowerKind kind);
