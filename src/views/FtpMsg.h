#pragma once
// TMFtpMessenger: the session log under the file panes. One line per
// command, reply, status or error, each with its kind prefix and colour, and
// translated into the log's language on the way in. Lines are stored as
// "<colour>『<indent>『<text>『".

#include "views/LogTranslation.h"

#include <QListWidget>

namespace views {

enum TMessengerStyle { msgClassic, msgMFtp, msgMFtpTime };

class TMFtpMessenger : public QListWidget
{
    Q_OBJECT
public:
    // Above this many lines the next command line clears the log first.
    static constexpr int MaxLines = 2000;
    // Lines narrower than the control minus this many pixels get no hint.
    static constexpr int HintMargin = 19;
    static constexpr int HintTimeoutMs = 20000;

    explicit TMFtpMessenger(QWidget *parent = nullptr);

    bool AutoScroll() const { return autoScroll_; }
    void setAutoScroll(bool on) { autoScroll_ = on; }
    TMessengerStyle Style() const { return style_; }
    using QListWidget::setStyle;
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
