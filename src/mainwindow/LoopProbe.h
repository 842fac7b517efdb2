#pragma once
// Event-loop latency probe for benchmarks. Off unless the environment
// variable BRAMBLEWAY_LOOP_PROBE names a file; then a 20 ms repeating timer
// runs in the GUI thread and, when the program ends, the file is replaced by
// one line
//   ticks=N max_ms=X p99_ms=Y
// where each tick's lateness is its delay past the previous tick plus 20 ms
// (never negative), measured with QElapsedTimer; max and 99th percentile in
// milliseconds.

class QObject;

namespace mainwindow {

inline constexpr const char *LoopProbeVariable = "BRAMBLEWAY_LOOP_PROBE";

// Does nothing (beyond reading the variable) when it is unset or empty.
// Otherwise starts the timer; the report is written once, on
// QCoreApplication::aboutToQuit or when `owner` (or, when null, the
// application object) is destroyed, whichever comes first.
void StartLoopProbeFromEnvironment(QObject *owner);

} // namespace mainwindow
