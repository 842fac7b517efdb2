#pragma once
// The site book file ftp.dat: a resource wrapper around a component stream
// holding the tree record (its node list in the property "Items.Data") and
// one "TSiteInfo" record per node, named SiteID<n> after the node's
// absolute index. Little-endian throughout; texts are GBK.
//
// The file holds a user's sites and passwords, so it is handled with care:
// a file that cannot be read is set aside (ftp.dat.damaged-<time>) before
// anything new is written, and a save replaces the file only once the new
// one has been written completely.

#include "sites/SiteTree.h"

#include <QByteArray>
#include <QString>

namespace sites {

inline constexpr const char *SiteBookFileName = "ftp.dat";
inline constexpr const char *SiteBookTreeClass = "TbsSkinStroteTreeView";
inline constexpr const char *SiteBookTreeName = "SiteTreeView";
inline constexpr const char *SiteRecordClass = "TSiteInfo";
inline constexpr const char *RootGroupText = "站点管理";
// Longest node text stored, in bytes.
inline constexpr int MaxNodeTextBytes = 255;
// Deepest nesting of groups a file may hold.
inline constexpr int MaxSiteTreeDepth = 256;
// Larger files are not site books.
inline constexpr qint64 MaxSiteBookBytes = 64 * 1024 * 1024;

// The site book in the program's data folder (beside Config.ini).
QString siteBookPath();

// A node text as the file stores it and reads it back: GBK, at most
// MaxNodeTextBytes bytes, characters GBK lacks as "?".
QString StoredNodeText(const QString &text);

// The bytes of the file for the tree as it stands (records are written with
// the names they hold; SaveSiteBook sorts and renames first).
QByteArray WriteSiteBookBytes(const TSiteTree &tree);

// Reads the bytes into the (cleared) tree. On failure the tree holds what
// was read before the fault and `error` says what is wrong.
bool ReadSiteBookBytes(const QByteArray &bytes, TSiteTree &tree, QString *error);

struct SiteBookLoad
{
    enum Status { Missing, Loaded, Refused };
    Status status = Missing;
    QString error;  // why a file was refused
    QString keptAs; // where the refused file was set aside; empty when it could not be moved
};

// Missing: no file, the tree is untouched. Loaded: the tree holds the book.
// Refused: the file is truncated, corrupt or not a site book; it has been
// renamed beside itself and the tree holds what could be read.
SiteBookLoad LoadSiteBook(TSiteTree &tree, const QString &path);

// Sorts the tree, renames the records and writes the file atomically. False
// (nothing written) for an empty tree, when the old file cannot be replaced
// safely, or when writing fails; the previous file is then intact.
bool SaveSiteBook(TSiteTree &tree, const QString &path, QString *error = nullptr);

// Renames an unreadable file to <path>.damaged-<yyyyMMdd-HHmmss>[-n];
// returns the new name, or empty when the file could not be moved.
QString KeepDamagedFile(const QString &path);

} // namespace sites
