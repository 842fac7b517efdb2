#include "services/Feedback.h"

#include "platform/MachineId.h"
#include "platform/TextCodec.h"

#include <QCryptographicHash>
#include <QList>
#include <QRegularExpression>

namespace services {

QByteArray FormEncode(const QByteArray &bytes)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(bytes.size() * 3);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) {
            out += char(b);
        } else if (b == ' ') {
            out += '+';
        } else {
            out += '%';
            out += hex[b >> 4];
            out += hex[b & 0x0F];
        }
    }
    return out;
}

namespace {

// Line breaks as the service expects them from the edit control: CR LF.
QString withCrLf(const QString &text)
{
    QString out;
    out.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r')) {
            out += QLatin1String("\r\n");
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('\n') || c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
            out += QLatin1String("\r\n");
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

QByteArray FeedbackBody(const FeedbackMessage &message)
{
    QString email = message.email;
    email.remove(QLatin1Char(' '));

    QByteArray text = platform::toGbk(withCrLf(message.text));
    text.replace(" ", "&nbsp;");
    text.replace("\r", "<br>");

    QByteArray time = message.time.toString(QStringLiteral("yyyy-MM-dd hh:mm")).toLatin1();
    time.replace(" ", "&nbsp;");

    QByteArray body = "user=";
    body += FeedbackUser;
    body += "&email=" + FormEncode(platform::toGbk(email));
    body += "&title=" + FormEncode(platform::toGbk(message.title));
    body += "&text=" + FormEncode(text);
    body += "&image=on";
    body += "&home=" + message.home.toLatin1();
    body += "&time=" + FormEncode(time);
    return body;
}

QString FeedbackIdentity()
{
    const QByteArray digest = QCryptographicHash::hash(
        QByteArrayLiteral("BramblewayFTP feedback\n") + platform::machineIdentity(), QCryptographicHash::Sha256);
    return QString::fromLatin1(digest.toHex().toUpper().left(14));
}

bool FeedbackSucceeded(const QByteArray &answer)
{
    QByteArray bytes = answer;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    const QString wanted = QString::fromUtf8(FeedbackSuccessLine);
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (platform::decodeRemoteName(line) == wanted)
            return true;
    }
    return false;
}

bool ContactAcceptable(const QString &contact)
{
    QString text = contact;
    text.remove(QLatin1Char(' '));
    if (!text.contains(QLatin1Char('@')))
        return true;
    static const QRegularExpression mail(QStringLiteral("^[^@\\s]+@[^@\\s.]+(\\.[^@\\s.]+)+$"));
    return mail.match(text).hasMatch();
}

} // namespace services
