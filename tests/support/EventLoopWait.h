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

// Pumps events for about `ms` milliseconds.
void pumpFor(int ms);

} // namespace testsupport
