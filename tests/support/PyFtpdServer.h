#pragma once
// The real FTP server (Debian's pyftpdlib, tests/support/ftpd.py) on a free
// loopback port with a temporary root folder. It exits with the test: its
// standard input is watched and closes with this object or the process.

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace testsupport {

class PyFtpdServer
{
public:
    static constexpr const char *User = "user";
    static constexpr const char *Password = "pass";

    explicit PyFtpdServer(const QStringList &extraArguments = {});
    ~PyFtpdServer();

    bool isRunning() const { return port_ != 0; }
    quint16 port() const { return port_; }
    QString root() const { return root_.path(); }
    // What the server wrote to its error output (for failure messages).
    QString errors();

private:
    QTemporaryDir root_;
    QProcess process_;
    quint16 port_ = 0;
};

} // namespace testsupport
