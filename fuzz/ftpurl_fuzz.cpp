// libFuzzer target over the ftp:// addresses the program reads: the engine's
// own parser (addresses handed to the engine, percent-decoded) and the paste
// window's (addresses pasted by the user, taken as they are). The input is
// the address; its bytes also make up the parts of addresses built by the
// program, which must read back as they were written.

#include "FuzzSupport.h"

#include "engine/FtpUrl.h"
#include "sites/PastURL.h"
#include "sites/SiteURL.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace {

bool hasLineBreakOrZero(const QByteArray &b)
{
    return b.contains('\r') || b.contains('\n') || b.contains('\0');
}

void engineParser(const QByteArray &address)
{
    const QByteArray decoded = DecodeURLText(address);
    FUZZ_CHECK(decoded.size() <= address.size());
    if (!address.contains('%'))
        FUZZ_CHECK(decoded == address);

    TFtpUrl url;
    const TFtpUrlResult result = ParseFtpUrl(address, &url);
    FUZZ_CHECK(FtpUrlErrorText(result).isEmpty() == (result == urlOK));
    if (result != urlOK)
        return;
    // These parts end up in commands: a line break would end the command.
    FUZZ_CHECK(!hasLineBreakOrZero(url.user) && !hasLineBreakOrZero(url.password));
    FUZZ_CHECK(!hasLineBreakOrZero(url.host) && !hasLineBreakOrZero(url.path));
    FUZZ_CHECK(url.path.isEmpty() || url.path.startsWith('/'));
    FUZZ_CHECK(url.path.size() <= 999);
    FUZZ_CHECK(!url.host.contains('/'));
    FUZZ_CHECK(url.hasUser || (url.user.isEmpty() && url.password.isEmpty()));
    FUZZ_CHECK(url.hasPort || url.port == 0);
}

void pasteParser(const QString &text)
{
    sites::PastedURL url;
    url.host = QStringLiteral("untouched");
    const sites::PasteResult result = sites::ParsePastedURL(text, &url);
    if (result != sites::PasteResult::Ok) {
        FUZZ_CHECK(url.host == QStringLiteral("untouched"));
        return;
    }
    FUZZ_CHECK(sites::PastedTextAcceptable(text));
    FUZZ_CHECK(url.port >= 1 && url.port <= 65535);
    FUZZ_CHECK(!url.host.trimmed().isEmpty() && !url.host.contains(QLatin1Char('/')));
    FUZZ_CHECK(url.path.isEmpty() || url.path.startsWith(QLatin1Char('/')));
    FUZZ_CHECK(url.path.size() <= sites::MaxURLPart && url.password.size() <= sites::MaxURLPart);
    const sites::ConnectRequest request = sites::PastedConnectRequest(url);
    FUZZ_CHECK(request.fromPastedURL && request.server == url.host && request.port == url.port);
    FUZZ_CHECK(request.urlPath == url.path && request.anonymous == url.anonymous);
}

// Bytes mapped onto letters, digits and ". - _" (never a separator).
QString plain(QByteArrayView bytes)
{
    static const char alphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-_";
    QString out;
    for (char c : bytes)
        out += QLatin1Char(alphabet[std::uint8_t(c) % (sizeof alphabet - 1)]);
    return out;
}

// Addresses the program writes read back with their parts intact.
void roundTrips(QByteArrayView input)
{
    if (input.size() < 8)
        return;
    const qsizetype quarter = input.size() / 4;
    const QString server = plain(input.first(quarter));
    const QString user = plain(input.sliced(quarter, quarter));
    const QString password = plain(input.sliced(2 * quarter, quarter));
    const QString folder = plain(input.sliced(3 * quarter)).replace(QLatin1Char('_'), QLatin1Char('/'));
    const int port = 1 + (std::uint8_t(input[0]) << 8 | std::uint8_t(input[1])) % 65535;

    const QString site = FormatSiteURL(server, port, user, password);
    TFtpUrl url;
    FUZZ_CHECK(ParseFtpUrl(site.toUtf8(), &url) == urlOK);
    FUZZ_CHECK(url.host == server.toUtf8());
    FUZZ_CHECK(url.hasPort == (port != 21) && (!url.hasPort || url.port == port));
    const bool named = user.compare(QLatin1String("anonymous"), Qt::CaseInsensitive) != 0
        && user.compare(QLatin1String("ftp"), Qt::CaseInsensitive) != 0;
    FUZZ_CHECK(url.hasUser == named);
    if (named)
        FUZZ_CHECK(url.user == user.toUtf8() && url.password == password.toUtf8());

    sites::SiteURLSource source;
    source.connected = true;
    source.server = server;
    source.userName = user;
    source.password = password;
    source.currentDirectory = folder;
    for (bool withCredentials : {true, false}) {
        const QString address = sites::BuildSiteURL(source, [&] { return withCredentials; });
        sites::PastedURL pasted;
        FUZZ_CHECK(sites::ParsePastedURL(address, &pasted) == sites::PasteResult::Ok);
        FUZZ_CHECK(pasted.host == server && pasted.port == 21);
        FUZZ_CHECK(pasted.anonymous == !withCredentials);
        if (withCredentials)
            FUZZ_CHECK(pasted.userName == user && pasted.password == password.left(sites::MaxURLPart));
        FUZZ_CHECK(pasted.path.startsWith(QLatin1Char('/')));
        FUZZ_CHECK(pasted.path.endsWith(QLatin1Char('/')) || pasted.path.size() == sites::MaxURLPart);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::quietQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    engineParser(bytes);
    engineParser("ftp://" + bytes);
    const QString text = QString::fromUtf8(bytes);
    pasteParser(text);
    pasteParser(QStringLiteral("ftp://") + text);
    roundTrips(bytes);
    return 0;
}
