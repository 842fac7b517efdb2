#pragma once
// The site manager's per-site options (SiteOptions.h) in SiteOptions.json
// beside ftp.dat, so that ftp.dat keeps exactly the bytes it always had.
//
// ftp.dat names its records after their place in the tree (SiteID<n>, new
// at every save), so it has no key that lasts. A site is therefore known
// here by its path: the texts of its node and of the groups above it, as
// ftp.dat stores them. While the site manager runs the options travel with
// the node itself, so renaming and moving a site keeps them; the file is
// rewritten with the new paths whenever the book is saved. Renaming a site
// in ftp.dat by other means loses its options (it gets the defaults), and
// sites with the same path share the order they have in the tree.
//
//   {"format": 1, "sites": [
//     {"path": ["站点管理", "公司", "主站"], "tls": "explicit", "charset": "utf-8",
//      "passiveAddressRule": true}]}
//
// Only sites whose options differ from the defaults are written.

#include "sites/SiteTree.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace sites {

inline constexpr const char *SiteOptionsFileName = "SiteOptions.json";
inline constexpr int SiteOptionsFormat = 1;

// SiteOptions.json in the folder of the site book `bookPath`.
QString siteOptionsPathFor(const QString &bookPath);

// The key of a node: its text and its groups' texts from the top, as
// ftp.dat stores them.
QStringList sitePath(const TSiteNode *node);

QByteArray WriteSiteOptionsBytes(const TSiteTree &tree);

struct SiteOptionsLoad
{
    enum Status { Missing, Loaded, Refused };
    Status status = Missing;
    // For the user when the file was refused or parts of it were not
    // understood; empty otherwise.
    QString message;
    QString keptAs;        // where a refused file was set aside
    int skippedValues = 0; // values not understood (their defaults apply)
};

// Gives every site of the tree the options stored for its path; all others
// get the defaults. A file that is not a site options file is set aside
// beside itself (SiteOptions.json.damaged-<time>) and every site keeps the
// defaults; entries or values not understood are skipped.
SiteOptionsLoad LoadSiteOptions(TSiteTree &tree, const QString &path);
// Reads from bytes (no file, nothing set aside).
SiteOptionsLoad ReadSiteOptionsBytes(const QByteArray &bytes, TSiteTree &tree);

// Writes the file in one step; false (the old file intact) on failure.
bool SaveSiteOptions(const TSiteTree &tree, const QString &path, QString *error = nullptr);

} // namespace sites
