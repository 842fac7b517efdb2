#pragma once
// Whether the computer has a network connection, as the system reports it.

#include <QUrl>

#include <functional>

namespace services {

// False only when the system knows it has no connection to the network the
// service at `url` lies on: a loopback service is always reachable, and a
// system that cannot tell counts as connected.
bool InternetConnected(const QUrl &url);

// Tests replace the system's answer here; an empty hook restores it.
void SetConnectionStateHook(std::function<bool(const QUrl &url)> hook);

} // namespace services
