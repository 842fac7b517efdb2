#include "engine/FtpLoginRules.h"

TMFtpServerType ServerTypeFromGreeting(const QByteArray &greeting)
{
    return greeting.contains("NetTerm FTP server") ? ftpstNetTerm : ftpstAutoDetect;
}

TMFtpServerType ServerTypeFromSyst(const QByteArray &reply)
{
    if (reply.startsWith('5'))
        return ftpstDefault;
    const QByteArray text = reply.mid(4, 99).toUpper();
    struct Row {
        const char *word;
        TMFtpServerType type;
    };
    static const Row rows[] = {
        {"UNIX", ftpstUNIX},
        {"BSD", ftpstBSD},
        {"SUNOS", ftpstSunOS},
        {"CLIX", ftpstClix},
        {"ULTRIX", ftpstULTRIX},
        {"MVS", ftpstMVS},
        {"QVT", ftpstQVT},
        {"NCSA", ftpstNCSA},
        {"WFTPD", ftpstWFTPD},
        {"WINDOWS_NT", ftpstMSFTP},
        {"CHAMELEON", ftpstChameleon},
    };
    for (const Row &row : rows) {
        if (text.contains(row.word))
            return row.type;
    }
    if (text.contains("VMS"))
        return text.contains("MULTINET") ? ftpstVmsMultinet : ftpstVmsUcx;
    if (text.contains("VM"))
        return text.contains("VPS") ? ftpstVMVPS : ftpstVM;
    return ftpstDefault;
}

QByteArray FirstLoginCommand(TMFtpProxyType proxy, const QByteArray &server, quint16 port,
                             const QByteArray &username, const QByteArray &proxyUsername)
{
    const QByteArray portText = QByteArray::number(port);
    switch (proxy) {
    case proxyNone:
        return "USER " + username;
    case proxyHost:
        return "HOST " + server;
    case proxyHostUser:
        return port == 21 ? "USER " + server + '!' + username
                          : "USER " + server + ':' + portText + '!' + username;
    case proxyOpen:
        return "OPEN " + server;
    case proxySite:
        return "USER " + proxyUsername;
    case proxyUserSite:
        return port == 21 ? "USER " + username + '@' + server
                          : "USER " + username + '@' + server + ':' + portText;
    }
    return "USER " + username;
}

QByteArray QuotedPath(const QByteArray &reply)
{
    const qsizetype open = reply.indexOf('"');
    if (open < 0)
        return QByteArray();
    const QByteArray rest = reply.mid(open + 1, 999);
    const qsizetype close = rest.indexOf('"');
    return close < 0 ? QByteArray() : rest.left(close);
}

QByteArray DrivePathToUnix(const QByteArray &path)
{
    if (path.isEmpty())
        return path;
    QByteArray result = path.startsWith('/') ? path.mid(3) : path.mid(2).replace('\\', '/');
    // "/C:" alone is the drive's root, not an empty path.
    return result.isEmpty() ? QByteArray("/") : result;
}
