#include "engine/FtpLoginRules.h"
#include "engine/FtpTypes.h"
#include "platform/WinSock.h"

#include <gtest/gtest.h>

namespace {

TEST(ServerTypeDetection, SystTable)
{
    const struct {
        QByteArray reply;
        TMFtpServerType type;
    } rows[] = {
        {"215 UNIX Type: L8 Version: BSD-199506", ftpstUNIX}, // UNIX is tested before BSD
        {"215 unix type: l8", ftpstUNIX},
        {"215 BSD", ftpstBSD},
        {"215 SunOS 5.8", ftpstSunOS},
        {"215 CLIX", ftpstClix},
        {"215 ULTRIX", ftpstULTRIX},
        {"215 MVS is the operating system of this server.", ftpstMVS},
        {"215 QVT/Net", ftpstQVT},
        {"215 NCSA Telnet", ftpstNCSA},
        {"215 WFTPD", ftpstWFTPD},
        {"215 Windows_NT", ftpstMSFTP},
        {"215 Chameleon", ftpstChameleon},
        {"215 VMS MultiNet V4.3", ftpstVmsMultinet},
        {"215 VMS OpenVMS V7.3", ftpstVmsUcx},
        {"215 VM/ESA", ftpstVM},
        {"215 VM/VPS", ftpstVMVPS},
        {"215 MACOS Peter's Server", ftpstDefault},
        {"500 unknown command", ftpstDefault},
        {"502 UNIX", ftpstDefault}, // a refusal is never read
        {"", ftpstDefault},
        {"21", ftpstDefault},
    };
    for (const auto &row : rows)
        EXPECT_EQ(ServerTypeFromSyst(row.reply), row.type) << row.reply.constData();
}

TEST(ServerTypeDetection, OnlyTheFirst99CharactersAfterTheCodeCount)
{
    EXPECT_EQ(ServerTypeFromSyst("215 " + QByteArray(95, ' ') + "UNIX"), ftpstUNIX);
    EXPECT_EQ(ServerTypeFromSyst("215 " + QByteArray(96, ' ') + "UNIX"), ftpstDefault);
    // The code itself is not searched: "215 " is cut before matching.
    EXPECT_EQ(ServerTypeFromSyst("VMS Hello"), ftpstDefault);
}

TEST(ServerTypeDetection, Greeting)
{
    EXPECT_EQ(ServerTypeFromGreeting("220 NetTerm FTP server ready"), ftpstNetTerm);
    EXPECT_EQ(ServerTypeFromGreeting("220 netterm ftp server ready"), ftpstAutoDetect);
    EXPECT_EQ(ServerTypeFromGreeting("220 ProFTPD Server"), ftpstAutoDetect);
}

TEST(ProxyLogin, FirstCommandOfEachKind)
{
    const struct {
        TMFtpProxyType proxy;
        quint16 port;
        QByteArray command;
    } rows[] = {
        {proxyNone, 21, "USER anonymous"},
        {proxyHost, 21, "HOST ftp.target.example"},
        {proxyHostUser, 21, "USER ftp.target.example!anonymous"},
        {proxyHostUser, 2121, "USER ftp.target.example:2121!anonymous"},
        {proxyOpen, 21, "OPEN ftp.target.example"},
        {proxySite, 21, "USER proxyman"},
        {proxyUserSite, 21, "USER anonymous@ftp.target.example"},
        {proxyUserSite, 2121, "USER anonymous@ftp.target.example:2121"},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(FirstLoginCommand(row.proxy, "ftp.target.example", row.port, "anonymous", "proxyman"),
                  row.command)
            << int(row.proxy) << " port " << row.port;
    }
}

TEST(QuotedPathRule, Table)
{
    const struct {
        QByteArray reply;
        QByteArray path;
    } rows[] = {
        {"257 \"/pub\" is current directory.", "/pub"},
        {"257 \"/a b/c\"", "/a b/c"},
        {"257 \"\" empty", ""},
        {"257 \"/unterminated", ""},
        {"257 no quotes", ""},
        {"250 CWD ok \"/x\" and \"/y\"", "/x"},
        {"257 \"/\xe4\xb8\xad\xe6\x96\x87\"", "/\xe4\xb8\xad\xe6\x96\x87"}, // bytes pass unchanged
    };
    for (const auto &row : rows)
        EXPECT_EQ(QuotedPath(row.reply), row.path) << row.reply.constData();
    // At most 999 characters after the first quote are looked at.
    EXPECT_EQ(QuotedPath("257 \"" + QByteArray(998, 'a') + "\""), QByteArray(998, 'a'));
    EXPECT_EQ(QuotedPath("257 \"" + QByteArray(999, 'a') + "\""), QByteArray());
}

TEST(DrivePathRule, Table)
{
    EXPECT_EQ(DrivePathToUnix("/C:/pub"), QByteArray("/pub"));
    EXPECT_EQ(DrivePathToUnix("/D:/ftp"), QByteArray("/ftp"));
    EXPECT_EQ(DrivePathToUnix("C:\\pub\\in"), QByteArray("/pub/in"));
    EXPECT_EQ(DrivePathToUnix("/C:"), QByteArray("/"));
    EXPECT_EQ(DrivePathToUnix(""), QByteArray(""));
}

TEST(FtpCodes, SocketErrorTable)
{
    using namespace platform;
    const struct {
        int socketError;
        FtpError error;
        const char *text;
    } rows[] = {
        {WSAENETDOWN, errorNetworkDown, "Network down"},
        {WSAEACCES, errorInvalidAddress, "Invalid address specified"},
        {WSAEINVAL, errorInternal, ""},
        {WSAENETRESET, errorWinsock, "General Winsock Error"},
        {WSAENOBUFS, errorWinsock, "General Winsock Error"},
        {WSAECONNABORTED, errorConnectionAborted, "Connection aborted due to timeout or other failure"},
        {WSAECONNRESET, errorConnectionReset, "Connection reset by remote side"},
        {WSAETIMEDOUT, errorTimedOut, "Connection timed out"},
        {WSAEMFILE, errorOutOfSockets, "Out of sockets"},
        {WSAENETUNREACH, errorNetworkUnreachable, "Network unreachable"},
        {WSAEADDRNOTAVAIL, errorAddressNotAvailable, "Address not available"},
        {WSAECONNREFUSED, errorConnectionRefused, "Connection Refused"},
        {WSAHOST_NOT_FOUND, errorHostNotFound, "Address resolution error"},
        {WSANO_DATA, errorHostNotFound, "Address resolution error"},
        {WSAEHOSTUNREACH, errorHostUnreachable, "Host unreachable"},
        {WSAEADDRINUSE, errorInternal, "Unexpected internal error in component (WinSock Error Code: 10048)"},
    };
    for (const auto &row : rows) {
        QString text;
        EXPECT_EQ(FtpErrorFromSocketError(row.socketError, &text), row.error) << row.socketError;
        EXPECT_EQ(text, QString::fromLatin1(row.text)) << row.socketError;
    }
}

TEST(FtpCodes, ErrnoMapping)
{
    using namespace platform;
    EXPECT_EQ(winSockErrorFromErrno(0), 0);
    EXPECT_EQ(winSockErrorFromErrno(EAGAIN), WSAEWOULDBLOCK);
    EXPECT_EQ(winSockErrorFromErrno(EINPROGRESS), WSAEWOULDBLOCK);
    EXPECT_EQ(winSockErrorFromErrno(ECONNREFUSED), WSAECONNREFUSED);
    EXPECT_EQ(winSockErrorFromErrno(ECONNRESET), WSAECONNRESET);
    EXPECT_EQ(winSockErrorFromErrno(EPIPE), WSAECONNRESET);
    EXPECT_EQ(winSockErrorFromErrno(ECONNABORTED), WSAECONNABORTED);
    EXPECT_EQ(winSockErrorFromErrno(ETIMEDOUT), WSAETIMEDOUT);
    EXPECT_EQ(winSockErrorFromErrno(EBADF), WSAENOTSOCK);
    EXPECT_EQ(winSockErrorFromErrno(ENOTCONN), WSAENOTCONN);
    // errno values without a counterpart never land on a known number
    EXPECT_EQ(winSockErrorFromErrno(EDEADLK), UnmappedErrnoBase + EDEADLK);
}

TEST(FtpCodes, NamesAndDefaultTexts)
{
    EXPECT_STREQ(FtpInfoName(infoLoggedIn), "infoLoggedIn");
    EXPECT_STREQ(FtpErrorName(errorConnectionRefused), "errorConnectionRefused");
    EXPECT_STREQ(FtpInfoNeededName(needPassword), "needPassword");
    EXPECT_STREQ(FtpOperationName(opChangeMode), "opChangeMode");
    EXPECT_EQ(int(opChangeMode), 25);
    EXPECT_EQ(int(errorBadURL), 30);
    EXPECT_EQ(int(infoTransferEnd), 31);
    EXPECT_EQ(FtpInfoDefaultText(infoDisconnected), QStringLiteral("Not connected to the server"));
    EXPECT_EQ(FtpInfoDefaultText(infoBusy), QStringLiteral("The component is busy doing something"));
    EXPECT_EQ(FtpInfoDefaultText(infoLoggedIn), QStringLiteral("Logged in"));
    EXPECT_EQ(FtpInfoDefaultText(infoResumeNotSupported),
              QStringLiteral("This site cannot resume broken downloads/uploads"));
    EXPECT_TRUE(FtpInfoDefaultText(infoResolving).isEmpty());
}

} // namespace
