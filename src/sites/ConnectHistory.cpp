#include "sites/ConnectHistory.h"

#include "sites/ConfigKeys.h"
#include "sites/Seal.h"

namespace sites {

QString PackConnectRecord(const ConnectRecord &r)
{
    const QChar sep(HistorySeparator);
    QString text = r.server + sep + r.userName + sep + r.password + sep + r.port + sep
                   + (r.anonymous ? QLatin1Char('1') : QLatin1Char('0')) + sep;
    if (!r.options.isDefault())
        text += tlsModeName(r.options.tls) + sep + charsetName(r.options.charset) + sep
                + (r.options.passiveAddressRule ? QLatin1Char('1') : QLatin1Char('0')) + sep;
    return text;
}

bool UnpackConnectRecord(const QString &text, ConnectRecord *record)
{
    const QStringList parts = text.split(QChar(HistorySeparator));
    if (parts.size() < 5) {
        *record = ConnectRecord{};
        return false;
    }
    record->server = parts[0];
    record->userName = parts[1];
    record->password = parts[2];
    record->port = parts[3];
    record->anonymous = parts[4] == QLatin1String("1");
    record->options = SiteOptions{};
    if (parts.size() >= 8) {
        tlsModeFromName(parts[5], &record->options.tls);
        charsetFromName(parts[6], &record->options.charset);
        record->options.passiveAddressRule = parts[7] != QLatin1String("0");
    }
    return true;
}

ConnectHistory::ConnectHistory(platform::ProfileFile *config, QString key) : config_(config), key_(std::move(key)) {}

void ConnectHistory::Load()
{
    stored_.clear();
    shown_.clear();
    const QString section = QLatin1String(config::SectionConnect);
    for (const QString &key : config_->ReadSection(section)) {
        Stored s;
        s.key = key;
        s.sealed = config_->ReadString(section, key, QString());
        QString plain;
        s.readable = !s.sealed.isEmpty() && UnsealString(s.sealed, key_, &plain);
        if (s.readable)
            UnpackConnectRecord(plain, &s.record);
        if (s.readable && !s.record.server.isEmpty())
            shown_.append({s.key, s.record});
        stored_.append(s);
    }
}

int ConnectHistory::find(const QString &server) const
{
    for (int i = 0; i < shown_.size(); ++i)
        if (shown_[i].record.server.compare(server, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString ConnectHistory::freshKey() const
{
    const QString prefix = QLatin1String(config::ConnectRecordPrefix);
    for (int n = int(shown_.size()) + 1;; ++n) {
        const QString key = prefix + QString::number(n);
        bool used = false;
        for (const Stored &s : stored_)
            used = used || s.key.compare(key, Qt::CaseInsensitive) == 0;
        if (!used)
            return key;
    }
}

bool ConnectHistory::Remember(const ConnectRecord &record)
{
    const int i = find(record.server);
    const QString key = i >= 0 ? shown_[i].key : freshKey();
    const bool ok = config_->WriteString(QLatin1String(config::SectionConnect), key,
                                         SealString(PackConnectRecord(record), key_));
    Load();
    return ok;
}

bool ConnectHistory::Remove(int index)
{
    if (index < 0 || index >= shown_.size())
        return false;
    const QString dropped = shown_[index].key;
    QStringList values;
    for (const Stored &s : stored_) {
        if (s.key == dropped)
            continue;
        if (!s.readable)
            values.append(s.sealed);
        else if (!s.record.server.isEmpty())
            values.append(SealString(PackConnectRecord(s.record), key_));
    }
    const QString section = QLatin1String(config::SectionConnect);
    bool ok = config_->EraseSection(section);
    for (int n = 0; n < values.size(); ++n)
        ok = config_->WriteString(section, QLatin1String(config::ConnectRecordPrefix) + QString::number(n + 1),
                                  values[n])
             && ok;
    Load();
    return ok;
}

} // namespace sites
