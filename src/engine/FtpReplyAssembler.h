#pragma once
// Turns the bytes of the control connection into final replies.
//
// Lines end with CR LF; a lone LF or CR is part of the line. A line whose
// fourth character is '-' opens a multi-line reply ("220-Welcome"); the lines
// after it are skipped until one starts with the same three characters and a
// blank ("220 Ready"), which is the reply's final line. Every other non-empty
// line is a final reply on its own. Zero bytes are dropped.
//
// Memory stays bounded: an unterminated line longer than MaxLineLength is
// thrown away up to its CR LF, and takeLineTooLong() reports it once. A
// multi-line reply whose lines add up to more than MaxReplyLength is given
// up: takeReplyTooLong() reports it once and the lines that follow count as
// new replies.

#include <QByteArray>
#include <QList>

#include <optional>

class FtpReplyAssembler
{
public:
    static constexpr qsizetype MaxLineLength = 64 * 1024;
    static constexpr qsizetype MaxReplyLength = 1024 * 1024;

    void append(const QByteArray &bytes);

    // The next final reply line (without CR LF), or nothing until more bytes
    // arrive.
    std::optional<QByteArray> nextReply();

    // True once after a line had to be thrown away for its length.
    bool takeLineTooLong();
    // True once after a multi-line reply grew beyond MaxReplyLength.
    bool takeReplyTooLong();

    void reset();

    // Every line of the reply nextReply returned last, its final line
    // included ("211-Features:", " MLST ...", "211 End").
    const QList<QByteArray> &lastReplyLines() const { return lines_; }

    bool inMultiLine() const { return inMultiLine_; }
    QByteArray multiLineCode() const { return multiLineCode_; }
    // Bytes held for a line not yet ended.
    qsizetype pendingBytes() const { return buffer_.size() - start_; }

private:
    std::optional<QByteArray> nextLine();

    QByteArray buffer_;
    qsizetype start_ = 0; // first byte not yet consumed
    qsizetype scan_ = 0;  // where the search for CR LF goes on
    bool discarding_ = false;
    bool lineTooLong_ = false;
    bool replyTooLong_ = false;
    bool inMultiLine_ = false;
    qsizetype replyBytes_ = 0; // bytes of the multi-line reply so far
    QByteArray multiLineCode_;
    QList<QByteArray> lines_;
};
