#pragma once
// Token routines shared by the listing layouts. They work on the bytes of a
// line; only the space character separates tokens (tabs are ordinary bytes).
// Results are views into the line passed in.

#include <QByteArrayView>

// The token after N runs of spaces. A line that begins with a space has an
// empty token 0, and the last token of a line is never returned (it has no
// space after it): GetToken("a  b c", 1) is "b", GetToken("a b c", 2) is "".
QByteArrayView GetToken(QByteArrayView Line, int N);

// Everything after token N, with the line first cut at its first "->" when
// CutAtArrow is set: at most 999 bytes, then trimmed of spaces and control
// characters. When token N is the last token, that token trimmed. Empty when
// the line has fewer tokens.
QByteArrayView GetNameAfterTokens(QByteArrayView Line, int N, bool CutAtArrow = true);

// The line from its first "->" to the end, arrow included; empty without one.
QByteArrayView GetLinkPart(QByteArrayView Line);

// Whether a link counts as a folder: false when the link text, lower-cased,
// contains ".gz", ".exe", ".txt", ".tar", "copying", "readme" or ".diff".
bool LinkPointsToFolder(QByteArrayView LinkTo);

// Line with leading and trailing spaces and control characters removed.
QByteArrayView TrimBlanks(QByteArrayView Text);
