#pragma once
// Where the online services live: section [Service] of Config.ini names the
// base address of each (UpdateServer, FeedbackServer), for example
// "http://127.0.0.1:8080"; the request paths are fixed.

#include "platform/ProfileFile.h"

#include <QString>
#include <QUrl>

namespace services {

inline constexpr const char *SectionService = "Service";
inline constexpr const char *UpdateServerKey = "UpdateServer";
inline constexpr const char *FeedbackServerKey = "FeedbackServer";

// Used when the key is missing or empty.
inline constexpr const char *DefaultServiceAddress = "http://127.0.0.1:8080";

inline constexpr const char *VersionPath = "/update/version.txt";
inline constexpr const char *FeedbackPath = "/feedback/addinfo.asp";

// The base address stored under `key`, or the default; only http and https
// addresses with a host count. An empty URL when the stored text is not one.
QUrl ServiceBase(const platform::ProfileFile &config, const char *key);

// `path` (beginning with '/') below the base address, keeping a path the base
// itself has ("http://host/ftp" + "/update/version.txt"); empty for an empty
// base.
QUrl ServiceUrl(const QUrl &base, const char *path);

// Whether a URL is one the services' HTTP client may fetch: http or https
// with a host.
bool IsWebAddress(const QUrl &url);

} // namespace services
