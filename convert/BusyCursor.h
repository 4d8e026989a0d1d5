#pragma once

// The hourglass while the window works: a nesting counter. The first entry sets the
// wait cursor, the matching last exit restores the default one; an exit at count 0
// does nothing. Main thread only.
namespace BusyCursor {
void Enter();
void Leave();
int Depth();
} // namespace BusyCursor

// Holds the busy cursor for a scope.
class TBusyCursorScope {
public:
    TBusyCursorScope() { BusyCursor::Enter(); }
    ~TBusyCursorScope() { BusyCursor::Leave(); }
    TBusyCursorScope(const TBusyCursorScope&) = delete;
    TBusyCursorScope& operator=(const TBusyCursorScope&) = delete;
};
