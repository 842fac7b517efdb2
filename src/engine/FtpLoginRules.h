#pragma once
// Pure rules of the login: server family detection, the first command sent
// through each proxy kind, and the reading of quoted paths.

#include "engine/FtpTypes.h"
#include "listing/ServerType.h"

#include <QByteArray>
#include <QString>

// The greeting rule: a greeting naming "NetTerm FTP server" gives
// ftpstNetTerm, anything else leaves the family undetected.
TMFtpServerType ServerTypeFromGreeting(const QByteArray &greeting);

// The family a SYST reply names, e.g. "215 UNIX Type: L8" -> ftpstUNIX; a
// reply starting with '5' and a reply naming nothing known give ftpstDefault.
TMFtpServerType ServerTypeFromSyst(const QByteArray &reply);

// The login command a proxy kind starts with, addressed to the real target.
// proxySite starts with the proxy's own user name.
QByteArray FirstLoginCommand(TMFtpProxyType proxy, const QByteArray &server, quint16 port,
                             const QByteArray &username, const QByteArray &proxyUsername);

// The text between the first two double quotes of a reply ("257 "/pub" is
// current" -> /pub), at most 999 bytes of it; empty with fewer than two quotes.
QByteArray QuotedPath(const QByteArray &reply);

// Paths of servers that show drives: "/C:/pub" -> "/pub", "C:\pub\in" -> "/pub/in".
QByteArray DrivePathToUnix(const QByteArray &path);
