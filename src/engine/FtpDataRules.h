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

// "229 Entering Extended Passive Mode (|||6446|)" -> 6446. The parentheses
// hold a delimiter (any printable character but a digit), two more of the
// same, the port (1..65535, digits only) and the delimiter once more; the
// network and address fields between the first three must be empty (the
// data connection goes to the control connection's peer). False for
// anything else, also for a reply whose code is not 229.
bool ParseEpsvReply(const QByteArray &reply, quint16 *port);

// ::1 and 1025 -> "|2|::1|1025|", 10.0.0.5 and 1025 -> "|1|10.0.0.5|1025|".
// A zone ("%eth0") is left out. Empty when the text is no address.
QByteArray EprtArgument(const QString &localAddress, quint16 port);

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
