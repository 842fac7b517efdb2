#pragma once
// TMFtpMessenger: the session log under the file panes. One line per
// command, reply, status or error, each with its kind prefix and colour, and
// translated into the log's language on the way in. Lines are stored as
// "<colour>『<indent>『<text>『".
//
// Bound to an engine through Client: the log then follows the engine's
// information and error reports through one listener slot of each.
//
// Lines are stored at once (counting, copying and the line limit see them
// immediately) but reach the view in batches on a short timer, so a burst of
// replies costs one layout and one repaint instead of one per line.

#include "engine/FtpTypes.h"
#include "views/LogTranslation.h"

#include <QAbstractListModel>
#include <QListView>
#include <QPointer>
#include <QTimer>

#include <functional>

class TMFtp;

namespace views {

enum TMessengerStyle { msgClassic, msgMFtp, msgMFtpTime };

// Asked before a report is logged; setting `show` to false suppresses it.
using TMessengerShowEvent = std::function<void(QObject *sender, FtpInfo info, bool &show)>;
using TMessengerShowEventE = std::function<void(QObject *sender, FtpError error, bool &show)>;

// The stored lines; rows reach attached views only when published.
class LogLineModel : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    // Qt::DisplayRole: the line's text; Qt::UserRole: the stored line.
    QVariant data(const QModelIndex &index, int role) const override;

    int lineCount() const { return int(lines_.size()); }
    const QString &line(int index) const { return lines_.at(index); }
    bool hasUnpublished() const { return published_ < lines_.size(); }
    void append(const QString &storedLine) { lines_.append(storedLine); }
    void publish();
    void clear();

private:
    QStringList lines_;
    qsizetype published_ = 0;
};

class TMFtpMessenger : public QListView
{
    Q_OBJECT
public:
    // Above this many lines the next command line clears the log first.
    static constexpr int MaxLines = 2000;
    // A server that sends line after line with no command in between (an
    // endless welcome banner) clears the log above this many lines.
    static constexpr int FloodLines = 2 * MaxLines;
    // Lines narrower than the control minus this many pixels get no hint.
    static constexpr int HintMargin = 19;
    static constexpr int HintTimeoutMs = 20000;
    // New lines reach the view at most this long after they were added.
    static constexpr int PublishDelayMs = 40;

    explicit TMFtpMessenger(QWidget *parent = nullptr);
    ~TMFtpMessenger() override;

    // The engine whose reports are logged; null logs only what AddMessage
    // receives. Moves this log's listeners from the previous engine.
    TMFtp *Client() const;
    void setClient(TMFtp *client);

    TMessengerShowEvent OnMessageShow;
    TMessengerShowEventE OnErrorShow;

    // The listeners' work, public so that a caller can feed reports directly.
    void FtpInfoHandler(QObject *sender, FtpInfo info, const QString &text);
    void FtpErrorHandler(QObject *sender, FtpError error, const QString &text);
    // The status text logged for infoConnected: `server` is the engine's
    // Server, `address` the report's text.
    QString connectedText(const QString &server, const QString &address) const;

    bool AutoScroll() const { return autoScroll_; }
    void setAutoScroll(bool on) { autoScroll_ = on; }
    TMessengerStyle Style() const { return style_; }
    using QListView::setStyle;
    void setStyle(TMessengerStyle style);
    // Affects lines added afterwards only.
    TMessengerLanguage Language() const { return language_; }
    void setLanguage(TMessengerLanguage language) { language_ = language; }
    // While false, messages are processed but no line is stored.
    bool LogEnabled() const { return logEnabled_; }
    void setLogEnabled(bool on) { logEnabled_ = on; }

    // Adds a message; text may hold several CR LF terminated lines, of which
    // the first carries the kind prefix and the others are indented under it.
    void AddMessage(const QString &text, TMessageKind kind);

    void CopySelectedToClipboard() const;
    void CopyAllToClipboard() const;

    // The list's lines: how many, emptying it, selecting.
    int count() const { return lines_->lineCount(); }
    void clear();
    void setLineSelected(int index, bool selected);
    bool hasSelectedLines() const;
    // Hands lines added since the last batch to the view now.
    void publishLines();

    // Text field of a stored line; empty outside the list.
    QString LineText(int index) const;
    // The stored line as a whole.
    QString StoredLine(int index) const;
    int LineIndent(int index) const;
    QColor LineColour(int index) const;

    // Width in pixels of the current language's reply prefix.
    int prefixWidth() const;

    // Status of the connection lines (set when a connection line was logged).
    bool connectionLogged() const { return connected_; }
    void setConnectionLogged(bool on) { connected_ = on; }

protected:
    bool event(QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;

private:
    void addLine(TMessageKind kind, int indent, const QString &text);
    QString collect(bool selectedOnly) const;
    void detachClient();
    void scheduleBatch();

    LogLineModel *lines_;
    QTimer batchTimer_;

    QPointer<TMFtp> client_;
    int infoSlot_ = -1;
    int errorSlot_ = -1;

    bool autoScroll_ = true;
    bool logEnabled_ = true;
    bool connected_ = false;
    TMessengerStyle style_ = msgClassic;
    TMessengerLanguage language_ = MLChina;
    int hoverRow_ = -1;
};

// Parts of a stored line.
struct StoredLineFields
{
    QString colourName;
    int indent = 0;
    QString text;
};
StoredLineFields parseStoredLine(const QString &stored);
QString makeStoredLine(const QString &colourName, int indent, const QString &text);
QColor colourFromName(const QString &name);

} // namespace views
