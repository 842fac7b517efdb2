#pragma once
// Translation of session-log lines from the engine's English into Simplified
// or Traditional Chinese: fixed tables chosen by the line's kind. Pure text
// functions, no widgets.

#include <QString>

namespace views {

enum TMessageKind { mkCommand, mkReply, mkStatus, mkError };
enum TMessengerLanguage { MLChina, MLChinaGB, MLEnglish };

// The bracketed prefix written in front of the first line of a message.
QString messagePrefix(TMessageKind kind, TMessengerLanguage language);
// The colour's standard name stored with each line: "clGreen", "clBlack", "clBlue", "clRed".
QString kindColourName(TMessageKind kind);

// Replaces every occurrence of `oldText` by `newText`, and drops the one
// character that follows each occurrence (usually a blank or a full stop).
QString ReplaceAndSkip(const QString &line, const QString &oldText, const QString &newText);

// The line as the log shows it in `language`; unchanged for MLEnglish.
QString TranslateLogLine(const QString &line, TMessageKind kind, TMessengerLanguage language);

} // namespace views
