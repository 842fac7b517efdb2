#pragma once
// The quick-connect history: section [Connect] of Config.ini, keys ID1,
// ID2, ... each holding one sealed entry "server『user『password『port『anonymous『".
// A site with other than the default options (SiteOptions.h) has three
// fields more: "...anonymous『tls『charset『passive『" (passive "1" or "0");
// readers that know only five fields read such entries as before.

#include "platform/ProfileFile.h"
#include "sites/SiteOptions.h"

#include <QList>
#include <QString>

namespace sites {

inline constexpr char16_t HistorySeparator = u'『';

struct ConnectRecord
{
    QString server;
    QString userName;
    QString password;
    QString port = QStringLiteral("21");
    bool anonymous = false;
    SiteOptions options;

    bool operator==(const ConnectRecord &) const = default;
};

QString PackConnectRecord(const ConnectRecord &record);
// False, with a cleared record (port "21", not anonymous), when the text
// lacks the separators. Option fields not understood read as the defaults.
bool UnpackConnectRecord(const QString &text, ConnectRecord *record);

class ConnectHistory
{
public:
    ConnectHistory(platform::ProfileFile *config, QString key);

    // LoadConnectHistory: every entry of the section in file order; those
    // with a server are shown. Entries that cannot be unsealed here (written
    // on another computer, damaged) are not shown but stay in the file.
    void Load();

    int count() const { return int(shown_.size()); }
    const ConnectRecord &record(int i) const { return shown_[i].record; }
    QString server(int i) const { return shown_[i].record.server; }
    QString keyOf(int i) const { return shown_[i].key; }
    // The shown entry with this server, letter case ignored; -1 when none.
    int find(const QString &server) const;

    // Stores the record: over the entry with the same server, or under a
    // new key that no entry uses yet.
    bool Remember(const ConnectRecord &record);
    // Drops shown entry i and writes the section again as ID1, ID2, ...
    // (entries without a server go; entries that cannot be read here stay).
    bool Remove(int i);

private:
    struct Stored
    {
        QString key;
        QString sealed;
        bool readable = false;
        ConnectRecord record;
    };
    struct Shown
    {
        QString key;
        ConnectRecord record;
    };

    QString freshKey() const;

    platform::ProfileFile *config_;
    QString key_;
    QList<Stored> stored_;
    QList<Shown> shown_;
};

} // namespace sites
