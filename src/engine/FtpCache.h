#pragma once
// The listing cache: one pair of small text files per server, port, user and
// remote folder, holding the folder entries ("...cached") and the other
// entries ("...cachef") of the folder's last complete listing.
//
// File format, one value per line (CR LF): the number of entries, then eight
// lines per entry: FileName, Attributes, ModifiedDate, FileSize, LinkTo,
// Owner, Group, Description. Names are the server's bytes; so are the cache
// file names (no conversion that could make two folders share a file).

#include "listing/FileInfo.h"

#include <QByteArray>
#include <QString>

namespace ftpcache {

enum Kind : char {
    Folders = 'd',
    Files = 'f',
};

// server + "[" + port + "]-" + ["(" + user + ")-"] + directory, the user part
// left out for "ftp" and "anonymous" (any case). In the server, user and
// directory texts every byte that a file name cannot hold or that would make
// two keys alike ('%', '/', '\\', '"', '*', ':', '?', '<', '>', '|', '(',
// ')', '[', ']', control bytes) is written "%XX" (upper-case hex), so distinct
// folders never share a file. A key longer than 200 bytes keeps its first 160
// bytes, then "~" and the SHA-1 of the whole key in hex.
QByteArray CacheKey(const QString &server, int port, const QString &user, const QByteArray &directory);

// folder + "/" + key + ".cache" + kind, as a native path.
QByteArray CacheFilePath(const QString &folder, const QString &server, int port, const QString &user,
                         const QByteArray &directory, Kind kind);

// The date as year * 10000 + month * 100 + day.
int TodayNumber();

// Reads a cache file into `list`. False when the file is missing, stale
// (expireDays > 0 and today >= its date number + expireDays) or unreadable;
// `list` is then left as it was.
bool LoadCache(const QByteArray &path, TMFtpFileInfoList &list, int expireDays, int today);

// Writes `list` to a cache file. A list whose texts hold a line break cannot
// be stored; the file is then removed, so the folder is listed again next
// time. False on any failure.
bool SaveCache(const QByteArray &path, const TMFtpFileInfoList &list);

void RemoveCacheFile(const QByteArray &path);

// Creates the folder when missing; failures are ignored.
void PrepareFolder(const QString &folder);

// Deletes every cache file in the folder.
void EmptyFolder(const QString &folder);

} // namespace ftpcache
