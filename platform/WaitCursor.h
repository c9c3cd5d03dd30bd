#pragma once

namespace corvo::platform {

/// The hourglass over the whole application / back to the default cursor. Calls nest: every
/// show needs its restore.
void showWaitCursor();
void showDefaultCursor();

/// The wait cursor for a scope; restored however the scope is left.
class WaitCursor {
public:
    WaitCursor() { showWaitCursor(); }
    ~WaitCursor() { showDefaultCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace corvo::platform
