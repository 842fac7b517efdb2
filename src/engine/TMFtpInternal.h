#pragma once
// Shared by the translation units of TMFtp only.

#include <QByteArray>
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcFtpEngine)

// A reply handler together with its name, for the hand-over trace
// (QT_LOGGING_RULES="bw.engine.debug=true").
#define FTP_HANDLER(fn) ReplyHandler{&TMFtp::fn, #fn}

namespace ftp {

constexpr int MillisecondsPerSecond = 1000;

inline bool IsPreliminary(const QByteArray &reply) { return reply.startsWith('1'); }
inline bool IsCompletion(const QByteArray &reply) { return reply.startsWith('2'); }
inline bool IsIntermediate(const QByteArray &reply) { return reply.startsWith('3'); }
// "500 Unknown command", "502 Not implemented": the feature is missing.
inline bool IsNotImplemented(const QByteArray &reply) { return reply.startsWith("50"); }

// The last line of a (possibly multi-line) reply, without its line end.
inline QByteArray FinalReplyLine(const QByteArray &reply)
{
    const QByteArray trimmed = reply.trimmed();
    return trimmed.mid(trimmed.lastIndexOf('\n') + 1).trimmed();
}

} // namespace ftp
