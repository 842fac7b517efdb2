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
class QTimer;

namespace testsupport {

struct ServerAction {
    QByteArray bytes;        // sent as they stand
    bool closeAfter = false; // hang up once they are sent
};

// What a data command does with the data connection: the preliminary reply,
// then the data sent (downloads, listings) or received until the client
// closes (uploads), the connection closed, then the final reply.
struct DataAction {
    QByteArray preliminary = "150 Opening data connection.\r\n";
    QByteArray data;
    QByteArray final = "226 Transfer complete.\r\n";
    bool upload = false;
    bool keepOpen = false;        // send the data, then wait (for ABOR)
    bool hangUpAfterData = false; // close the control connection once the data is done
    bool stopReading = false;     // upload: take nothing, so the client's sends block
    // Active mode: before the real data connection, a caller from this
    // address (127.0.0.2, say) connects to the client and sends `data` too.
    QByteArray foreignAddress {};
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

    // Data connections: PASV is answered with a fresh listening port on
    // 127.0.0.1 and PORT with 200 (unless replies for them are scripted), and
    // `verb` runs `action` over the connection. ABOR closes a held data
    // connection before its scripted reply.
    void setDataAction(const QByteArray &verb, const DataAction &action);
    // The address PASV answers name ("127,0,0,2"); the listener stays on
    // 127.0.0.1 whatever they say.
    void setPassiveAddress(const QByteArray &commaAddress) { passiveAddress_ = commaAddress; }
    QByteArray uploaded() const { return uploaded_; }
    int dataConnectionCount() const { return dataConnections_; }
    bool dataConnectionOpen() const;

    // Sends `bytes` to every new connection after its greeting, again every
    // `intervalMs` until the connection ends (0 stops it).
    void setDrip(const QByteArray &bytes, int intervalMs);

    // The foreign caller of DataAction::foreignAddress has been hung up on.
    bool foreignCallerClosed() const { return foreignClosed_; }

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
    void handleCommand(const QByteArray &line);
    QByteArray openPassiveListener();
    void startData(const DataAction &action);
    void onDataSocketReady();
    void finishData();
    void connectData();
    void dripOnce();

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

    QHash<QByteArray, DataAction> dataActions_;
    QTcpServer *dataListener_ = nullptr;
    QPointer<QTcpSocket> dataSocket_;
    QByteArray activeHost_;
    quint16 activePort_ = 0;
    bool passiveMode_ = false;
    QByteArray passiveAddress_ = "127,0,0,1";
    bool dataRunning_ = false;
    DataAction currentData_;
    QByteArray uploaded_;
    int dataConnections_ = 0;
    QPointer<QTcpSocket> foreign_;
    bool foreignClosed_ = false;
    QByteArray drip_;
    QTimer *dripTimer_ = nullptr;
};

} // namespace testsupport
