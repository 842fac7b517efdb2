#pragma once
// A request from outside to end the program (SIGTERM, SIGINT, SIGHUP: the
// desktop session ending, `kill`, Ctrl+C in the terminal) delivered as a
// call in the event loop, so the program can end the way its window's close
// button ends it: settings saved, the session closed, no file half-written.

#include <functional>

namespace platform {

// Installs the handlers; `onRequest` runs in the event loop once per
// request. A second request while the first is still being handled ends
// the program at once (the default action), so a hung shutdown can still
// be killed. Call once, after the application object exists.
void WatchTerminationRequests(std::function<void()> onRequest);

} // namespace platform
