#include "engine/FtpReplyAssembler.h"

void FtpReplyAssembler::append(const QByteArray &bytes)
{
    if (start_ > 0 && start_ == buffer_.size()) {
        buffer_.clear();
        start_ = scan_ = 0;
    }
    for (char c : bytes) {
        if (c != '\0')
            buffer_.append(c);
    }
}

std::optional<QByteArray> FtpReplyAssembler::nextLine()
{
    for (;;) {
        const qsizetype from = qMax(start_, scan_ - 1); // a CR may end the last chunk
        const qsizetype end = buffer_.indexOf("\r\n", from);
        if (end < 0) {
            scan_ = buffer_.size();
            if (buffer_.size() - start_ > MaxLineLength + (buffer_.endsWith('\r') ? 1 : 0)) {
                // Keep a final CR: it may be the start of the line's CR LF.
                const bool lastIsCr = buffer_.endsWith('\r');
                buffer_ = lastIsCr ? QByteArray("\r") : QByteArray();
                start_ = 0;
                scan_ = buffer_.size();
                if (!discarding_)
                    lineTooLong_ = true;
                discarding_ = true;
            } else if (start_ > 0 && start_ > buffer_.size() / 2) {
                buffer_.remove(0, start_);
                scan_ -= start_;
                start_ = 0;
            }
            return std::nullopt;
        }
        QByteArray line = buffer_.mid(start_, end - start_);
        start_ = end + 2;
        scan_ = start_;
        if (discarding_) {
            discarding_ = false;
            continue;
        }
        if (line.size() > MaxLineLength) {
            lineTooLong_ = true;
            continue;
        }
        return line;
    }
}

std::optional<QByteArray> FtpReplyAssembler::nextReply()
{
    while (std::optional<QByteArray> line = nextLine()) {
        if (line->isEmpty())
            continue;
        if (inMultiLine_) {
            replyBytes_ += line->size() + 2;
            if (replyBytes_ > MaxReplyLength) {
                inMultiLine_ = false;
                lines_.clear();
                replyTooLong_ = true;
                return std::nullopt;
            }
            lines_.append(*line);
            if (line->size() < 4 || !line->startsWith(multiLineCode_) || line->at(3) != ' ')
                continue;
        } else if (line->size() >= 4 && line->at(3) == '-') {
            inMultiLine_ = true;
            multiLineCode_ = line->left(3);
            replyBytes_ = line->size() + 2;
            lines_ = {*line};
            continue;
        } else {
            lines_ = {*line};
        }
        inMultiLine_ = false;
        return line;
    }
    return std::nullopt;
}

bool FtpReplyAssembler::takeLineTooLong()
{
    const bool was = lineTooLong_;
    lineTooLong_ = false;
    return was;
}

bool FtpReplyAssembler::takeReplyTooLong()
{
    const bool was = replyTooLong_;
    replyTooLong_ = false;
    return was;
}

void FtpReplyAssembler::reset()
{
    *this = FtpReplyAssembler();
}
