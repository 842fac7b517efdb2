#pragma once
// Waiting in tests: the engine works through the event loop, so tests pump it
// until a condition holds or a deadline passes (never forever).

#include <functional>

namespace testsupport {

// Creates the QCoreApplication the event loop needs, once per test program.
void ensureCoreApplication();

// A first member for fixtures whose other members need the application
// (sockets and timers register with its event loop when they are created).
struct CoreApplicationGuard {
    CoreApplicationGuard() { ensureCoreApplication(); }
};

// Pumps events until `done` returns true or `timeoutMs` pass; returns done().
bool waitUntil(const std::function<bool()> &done, int timeoutMs = 5000);

// A sync point for checking that something did not happen: returns once the
// event loop has handled everything it held when called (posted events, due
// timers, window and socket events) and what those handlers queued at once
// in turn. Reactions still pending later (a timer running) are not waited
// for: check the state that would start them.
void drainEvents();

} // namespace testsupport
