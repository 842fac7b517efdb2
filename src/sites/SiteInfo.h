#pragma once
// One record of the site book: the connection data of a site. Groups carry
// a record too, with every field empty. The field names are the names the
// site book file uses.

#include <QString>

namespace sites {

struct TSiteInfo
{
    QString Name;       // object name in the file: SiteID<n>
    QString ServerName; // host name or dotted address, as typed
    QString UserName;   // sealed with SiteBookKey(), or empty
    QString Password;   // sealed with SiteBookKey(), or empty
    QString Port;       // decimal text; "21" for a new site, empty for a group
    bool AnonymityLogon = false;
    QString RemotePath;
    QString LocalPath;
    QString Memo;

    bool operator==(const TSiteInfo &) const = default;
};

inline constexpr const char *DefaultSitePort = "21";

} // namespace sites
