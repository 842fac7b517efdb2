#include "engine/FtpFeatureUse.h"

#include "platform/TextCodec.h"

#include <QStringList>

#include <algorithm>
#include <iterator>

TFtpFeatureUse DecideFeatureUse(const TFtpFeatures &Offered, TMFtpNameCharset Charset, bool ControlOnIpv6)
{
    TFtpFeatureUse use;
    use.ExtendedData = ControlOnIpv6;
    use.FeaturesKnown = Offered.Received;
    switch (Charset) {
    case TMFtpNameCharset::Utf8:
        use.Names = TMFtpNameEncoding::Utf8;
        break;
    case TMFtpNameCharset::Gbk:
        use.Names = TMFtpNameEncoding::Gbk;
        break;
    case TMFtpNameCharset::Auto:
        use.Names = TMFtpNameEncoding::Guess;
        break;
    }
    if (!Offered.Received)
        return use;
    use.Mlsd = Offered.Mlsd;
    if (use.Mlsd) {
        static const char *const wanted[] = {"type", "size", "modify", "unix.mode", "unix.owner",
                                             "unix.group", "unix.ownername", "unix.groupname", "unix.uid", "unix.gid"};
        QByteArray ask;
        bool missing = false;
        for (const QByteArray &fact : Offered.MlstFacts) {
            if (std::find(std::begin(wanted), std::end(wanted), fact) == std::end(wanted))
                continue;
            ask += fact + ';';
            missing = missing || !Offered.MlstFactsEnabled.contains(fact);
        }
        if (missing)
            use.MlstOptions = ask;
    }
    use.OptsUtf8 = Offered.Utf8 && Charset != TMFtpNameCharset::Gbk;
    use.Size = Offered.Size;
    use.RestStream = Offered.RestStream;
    return use;
}

void ApplyOptsUtf8Reply(TFtpFeatureUse &Use, TMFtpNameCharset Charset, bool Accepted)
{
    Use.Utf8On = Accepted;
    if (Charset == TMFtpNameCharset::Auto && Accepted)
        Use.Names = TMFtpNameEncoding::Utf8;
}

QString DescribeFeatureUse(const TFtpFeatureUse &Use)
{
    QStringList parts;
    parts << (Use.Mlsd ? QStringLiteral("MLSD") : QStringLiteral("LIST"));
    switch (Use.Names) {
    case TMFtpNameEncoding::Utf8:
        parts << QStringLiteral("UTF-8 names");
        break;
    case TMFtpNameEncoding::Gbk:
        parts << QStringLiteral("GBK names");
        break;
    case TMFtpNameEncoding::Guess:
        parts << QStringLiteral("names as listed");
        break;
    }
    if (Use.Size)
        parts << QStringLiteral("SIZE");
    if (Use.RestStream)
        parts << QStringLiteral("REST STREAM");
    if (Use.ExtendedData)
        parts << QStringLiteral("EPSV") << QStringLiteral("EPRT");
    return QStringLiteral("Using ") + parts.join(QStringLiteral(", "));
}

bool IsMlsdRefusal(const QByteArray &Reply)
{
    return Reply.startsWith("500") || Reply.startsWith("501") || Reply.startsWith("502")
        || Reply.startsWith("504");
}

QString DecodeRemoteName(const QByteArray &Bytes, TMFtpNameCharset Charset)
{
    switch (Charset) {
    case TMFtpNameCharset::Utf8:
        return QString::fromUtf8(Bytes);
    case TMFtpNameCharset::Gbk:
        return platform::fromGbk(Bytes);
    case TMFtpNameCharset::Auto:
        break;
    }
    return platform::decodeRemoteName(Bytes);
}

QByteArray EncodeRemoteName(const QString &Text, TMFtpNameEncoding Encoding)
{
    return Encoding == TMFtpNameEncoding::Gbk ? platform::toGbk(Text) : Text.toUtf8();
}
