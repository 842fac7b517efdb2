#pragma once
// Pure rules of the data side: the address of a PASV reply, the argument of
// PORT, the byte counts in RETR and SIZE replies, and the splitting of
// listing data into lines.

#include <QByteArray>
#include <QString>

#include <optional>

// "227 Entering Passive Mode (192,168,1,2,19,137)." -> 192.168.1.2, 5001.
// False unless the parentheses hold at least six numbers 0..255; numbers
// after the sixth are ignored.
bool ParsePasvReply(const QByteArray &reply, QString *address, quint16 *port);

// 10.0.0.5 and 1025 -> "10,0,0,5,4,1".
QByteArray PortArgument(const QString &localAddress, quint16 port);

// The byte count of a preliminary RETR reply: the text after its last "("
// up to the first blank ("150 Opening (1234 bytes)." -> "1234"); empty when
// there is no "(" or no blank after it.
QByteArray RetrSizeText(const QByteArray &reply);

// The size of a "213 <size>" reply (from its fifth character on); nothing
// when that is not a decimal number that fits 63 bits.
std::optional<qint64> ParseSizeReply(const QByteArray &reply);

// Listing data in, lines out. A line ends at LF; a CR before the LF is
// dropped, so CR LF and LF alone both end a line. Zero bytes are dropped.
// The text after the last line end is a line too once the data has ended
// (takeRest).
//
// Memory stays bounded and every byte is searched once: a line longer than
// MaxLineLength is skipped up to its line end (takeLineTooLong tells), so at
// most MaxLineLength bytes plus the last appended block are ever held.
class ListingLineSplitter
{
public:
    static constexpr qsizetype MaxLineLength = 64 * 1024;

    void append(const char *data, qsizetype length);
    // The next complete line without its line end, or nothing.
    std::optional<QByteArray> nextLine();
    // The unterminated rest (without a trailing CR), then empty.
    QByteArray takeRest();
    // True once after one or more lines were skipped for their length.
    bool takeLineTooLong();
    void clear();
    qsizetype pendingBytes() const { return buffer_.size() - start_; }

private:
    QByteArray buffer_;
    qsizetype start_ = 0; // first byte not yet handed out
    qsizetype scan_ = 0;  // where the search for LF goes on
    bool discarding_ = false;
    bool lineTooLong_ = false;
};
