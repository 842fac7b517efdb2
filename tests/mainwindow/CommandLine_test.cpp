// The program's command line: the options, what an ADDRESS connects to (the
// same as the paste window, with encoded addresses decoded), and what the
// program answers without opening a window.

#include "mainwindow/CommandLine.h"
#include "platform/BuildInfo.h"
#include "sites/PastURL.h"
#include "ui/MessageBoxes.h"

#include "../support/PrintQString.h"

#include <QLineEdit>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

using namespace mainwindow;
using sites::ConnectRequest;

namespace {

TEST(CommandLineOptions, VersionAndHelp)
{
    struct Case
    {
        QStringList arguments;
        bool help;
        bool version;
    };
    const Case cases[] = {
        {{"--version"}, false, true},
        {{"--help"}, true, false},
        {{"-h"}, true, false},
        {{"--run", "--help"}, true, false},
        {{"--version", "ftp://h/"}, false, true},
        {{"ftp://h/"}, false, false},
    };
    for (const Case &c : cases) {
        QString error;
        const auto options = ParseCommandLine(c.arguments, &error);
        ASSERT_TRUE(options) << c.arguments.join(' ').toStdString() << ": " << error.toStdString();
        EXPECT_EQ(options->help, c.help) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(options->version, c.version) << c.arguments.join(' ').toStdString();
    }
}

// What the paste window hands to the main window for `text`.
std::optional<ConnectRequest> pasted(const QString &text)
{
    sites::TPastFtpURL w;
    w.urlEdit()->setText(text);
    w.OkClicked();
    return w.confirmed() ? std::optional<ConnectRequest>(w.connectRequest()) : std::nullopt;
}

TEST(CommandLineAddress, ConnectsAsThePasteWindowDoes)
{
    ui::SetMessageBoxHook([](ui::MessageKind, const QString &) { return true; });
    const QString addresses[] = {
        "ftp://demo:pw@127.0.0.1:2121/pub/",
        "FTP://example.org",
        "ftp://example.org/pub/linux/",
        "ftp://u:p@ss@host/x",
        "ftp://u:@host:21",
        "  ftp://host/a b/  ",
        "ftp://user@host/",
        "ftp://host:abc/",
        "http://host/",
    };
    for (const QString &address : addresses)
        EXPECT_EQ(AddressConnectRequest(address), pasted(address)) << address.toStdString();
    ui::SetMessageBoxHook({});
}

TEST(CommandLineAddress, EncodedPartsAreDecoded)
{
    struct Case
    {
        QString address;
        QString server, userName, password, path;
    };
    const Case cases[] = {
        // What a browser or file manager hands over for a folder with a
        // Chinese name and a blank.
        {"ftp://h/pub/%E4%B8%AD%E6%96%87%20%E7%9B%AE%E5%BD%95/", "h", "anonymous", "visit@", "/pub/中文 目录/"},
        {"ftp://h/pub/%e4%b8%ad/", "h", "anonymous", "visit@", "/pub/中/"},
        // Credentials holding the separators, escaped: decoded after the split.
        {"ftp://me%40home:p%3Aw%40rd@h:2121/", "h", "me@home", "p:w@rd", "/"},
        {"ftp://u:p@h/a%2Fb", "h", "u", "p", "/a/b"},
        // "%" that starts no escape leaves its part as written.
        {"ftp://u:100%@h/50%/%41", "h", "u", "100%", "/50%/%41"},
        {"ftp://u:p@h/x%4", "h", "u", "p", "/x%4"},
        {"ftp://u:p@h/%zz%41", "h", "u", "p", "/%zz%41"},
        // Escapes that are not UTF-8 (a GBK name) stay as written.
        {"ftp://h/%D6%D0%CE%C4/", "h", "anonymous", "visit@", "/%D6%D0%CE%C4/"},
        {"ftp://%68ost/", "host", "anonymous", "visit@", "/"},
    };
    for (const Case &c : cases) {
        const std::optional<ConnectRequest> r = AddressConnectRequest(c.address);
        ASSERT_TRUE(r) << c.address.toStdString();
        EXPECT_EQ(r->server, c.server) << c.address.toStdString();
        EXPECT_EQ(r->userName, c.userName) << c.address.toStdString();
        EXPECT_EQ(r->password, c.password) << c.address.toStdString();
        EXPECT_EQ(r->urlPath, c.path) << c.address.toStdString();
        EXPECT_TRUE(r->fromPastedURL);
    }
}

TEST(CommandLineAddress, ControlCharactersAreRefused)
{
    // A line break would end the command the part goes into.
    const QString addresses[] = {
        "ftp://h/pub%0D%0ADELE%20x",
        "ftp://u%0A:p@h/",
        "ftp://u:p%00@h/",
        "ftp://h%09/",
        "ftp://h/a%7F",
    };
    for (const QString &address : addresses)
        EXPECT_FALSE(AddressConnectRequest(address)) << address.toStdString();
}

// Runs the program without any display: an application object could not be
// made, so everything asked here must be answered before one exists.
struct ProgramRun
{
    int status = -1;
    QString out;
    QString err;
};

ProgramRun runProgram(const QStringList &arguments)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(BW_PROGRAM), arguments);
    ProgramRun run;
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return run;
    }
    run.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(p.readAllStandardError());
    return run;
}

TEST(CommandLineProgram, AnswersWithoutAWindow)
{
    const QString version = QStringLiteral("bramblewayftp %1\n").arg(QString::fromUtf8(platform::ProgramVersion));
    struct Case
    {
        QStringList arguments;
        int status;
        QString outStart; // standard output begins with it
        QString errContains;
    };
    const Case cases[] = {
        {{"--version"}, 0, version, ""},
        {{"--version", "ftp://127.0.0.1/"}, 0, version, ""},
        {{"--help"}, 0, "usage: bramblewayftp [ADDRESS]", ""},
        {{"--frobnicate"}, 2, "", "unknown option --frobnicate"},
        {{"--run"}, 2, "", "--run needs an address"},
    };
    for (const Case &c : cases) {
        const ProgramRun run = runProgram(c.arguments);
        const std::string name = c.arguments.join(' ').toStdString();
        EXPECT_EQ(run.status, c.status) << name << "\n" << run.err.toStdString();
        if (c.outStart.isEmpty())
            EXPECT_TRUE(run.out.isEmpty()) << name;
        else
            EXPECT_TRUE(run.out.startsWith(c.outStart)) << name << ": " << run.out.toStdString();
        if (!c.errContains.isEmpty()) {
            EXPECT_TRUE(run.err.contains(c.errContains)) << name << ": " << run.err.toStdString();
            EXPECT_TRUE(run.err.contains(QStringLiteral("usage:"))) << name;
        }
    }
    // The help names every option.
    const QString help = runProgram({"--help"}).out;
    for (const char *option : {"ADDRESS", "--queue", "--run", "--exists", "--version", "--help"})
        EXPECT_TRUE(help.contains(QLatin1String(option))) << option;
}

} // namespace
