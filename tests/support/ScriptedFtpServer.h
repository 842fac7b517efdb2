#pragma once
// A scripted FTP server on 127.0.0.1 for engine tests. It greets every new
// connection, answers each command from a table keyed by the command's verb,
// and records every byte it receives. Replies are raw bytes (CR LF included),
// so a script can also send garbage, split replies across writes, leave a
// line unterminated or hang up in the middle of a reply.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>

class QTcpServer;
class QTcpSocket;

namespace testsupport {

struct ServerAction {
    QByteArray bytes;        // sent as they stand
    bool closeAfter = false; // hang up once they are sent
};

class ScriptedFtpServer : public QObject
{
    Q_OBJECT
public:
    ScriptedFtpServer();
    ~ScriptedFtpServer() override;

    quint16 port() const;

    // What each new connection gets first; the last entry repeats for every
    // later connection.
    void setGreetings(const QList<ServerAction> &greetings);
    void setGreeting(const QByteArray &bytes, bool closeAfter = false);

    // Answers to a verb ("USER", "PASS", ...), one per command in turn; the
    // last answer repeats. Verbs without answers get "502 Not implemented.".
    void setReplies(const QByteArray &verb, const QList<ServerAction> &replies);
    void setReply(const QByteArray &verb, const QByteArray &bytes, bool closeAfter = false);

    // Answers for a plain successful login and session:
    // USER 331, PASS 230, SYST UNIX, REST 350, PWD "/", CWD 250, NOOP 200, QUIT 221.
    void scriptStandardSession();

    // Writes every reply in pieces of `bytes` bytes, each in its own turn of
    // the event loop (0 writes whole replies).
    void setWriteChunk(int bytes);

    // Sends to the current connection now.
    void send(const QByteArray &bytes);

    QByteArray received() const { return received_; }
    // The received command lines, CR LF removed, in order.
    QList<QByteArray> commands() const;
    QList<QByteArray> verbs() const;
    int connectionCount() const { return connections_; }
    bool clientConnected() const;

private:
    void onNewConnection();
    void onReadyRead();
    void queue(const ServerAction &action);
    void flushSome();

    QTcpServer *server_;
    QPointer<QTcpSocket> client_;
    QList<ServerAction> greetings_;
    QHash<QByteArray, QList<ServerAction>> replies_;
    QHash<QByteArray, int> replyIndex_;
    QByteArray received_;
    QByteArray lineBuffer_;
    QByteArray outgoing_;
    bool closeWhenSent_ = false;
    int connections_ = 0;
    int writeChunk_ = 0;
    bool flushScheduled_ = false;
};

} // namespace testsupport
