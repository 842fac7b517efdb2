#include "listing/ListingText.h"

#include "listing/ListingInternal.h"

#include <cstring>

using namespace listing_detail;

namespace {

constexpr qsizetype MaxNameLength = 999;

qsizetype FindByte(QByteArrayView Text, char C, qsizetype From)
{
    if (From >= Text.size())
        return -1;
    const void *hit = std::memchr(Text.data() + From, C, size_t(Text.size() - From));
    return hit ? static_cast<const char *>(hit) - Text.data() : -1;
}

qsizetype SkipSpaces(QByteArrayView Text, qsizetype From)
{
    while (From < Text.size() && Text[From] == ' ')
        ++From;
    return From;
}

qsizetype FindArrow(QByteArrayView Line)
{
    qsizetype from = 0;
    while (true) {
        const qsizetype dash = FindByte(Line, '-', from);
        if (dash < 0 || dash + 1 >= Line.size())
            return -1;
        if (Line[dash + 1] == '>')
            return dash;
        from = dash + 1;
    }
}

char LowerAscii(char C) { return (C >= 'A' && C <= 'Z') ? char(C + ('a' - 'A')) : C; }

bool ContainsLowered(QByteArrayView Text, QByteArrayView Needle)
{
    const qsizetype last = Text.size() - Needle.size();
    for (qsizetype i = 0; i <= last; ++i) {
        qsizetype k = 0;
        while (k < Needle.size() && LowerAscii(Text[i + k]) == Needle[k])
            ++k;
        if (k == Needle.size())
            return true;
    }
    return false;
}

} // namespace

namespace listing_detail {

void TokenizeLine(QByteArrayView Line, int Needed, TLineTokens &Tokens)
{
    Tokens.Line = Line;
    Tokens.Found = 0;
    Tokens.Searched = qMin(Needed, int(TLineTokens::Capacity));
    const char *text = Line.data();
    const qsizetype size = Line.size();
    qsizetype pos = 0;
    for (int i = 0; i < Tokens.Searched; ++i) {
        // Tokens are short: a plain loop beats a library call here.
        qsizetype space = pos;
        while (space < size && text[space] != ' ')
            ++space;
        if (space == size)
            return;
        Tokens.Start[i] = pos;
        Tokens.End[i] = space;
        Tokens.Found = i + 1;
        pos = space + 1;
        while (pos < size && text[pos] == ' ')
            ++pos;
    }
}

QByteArrayView NameAfterTokens(const TLineTokens &Tokens, int N, bool CutAtArrow)
{
    QByteArrayView line = Tokens.Line;
    if (N < 0 || N >= Tokens.Searched || N > Tokens.Found)
        return GetNameAfterTokens(line, N, CutAtArrow);
    if (CutAtArrow) {
        const qsizetype arrow = FindArrow(line);
        if (arrow >= 0) {
            // An arrow inside the first tokens changes the tokens themselves.
            if (N == Tokens.Found || arrow < Tokens.End[N])
                return GetNameAfterTokens(line, N, CutAtArrow);
            line = line.first(arrow);
        }
    }
    if (N == Tokens.Found) // token N is the last one
        return TrimBlanks(line.sliced(N == 0 ? 0 : SkipSpaces(line, Tokens.End[N - 1])));
    const qsizetype space = Tokens.End[N];
    return TrimBlanks(line.sliced(space, qMin(MaxNameLength, line.size() - space)));
}

void ApplyLinkRule(QByteArrayView Line, const TListingFields &Out)
{
    const QByteArrayView link = GetLinkPart(Line);
    SetBytes(*Out.LinkTo, link);
    if (!link.isEmpty())
        *Out.IsFolder = LinkPointsToFolder(link);
}

} // namespace listing_detail

namespace {

// Where token N begins: after N tokens and the blanks behind each; -1 when
// the line has fewer blank-terminated tokens.
qsizetype SkipTokens(QByteArrayView Line, int N)
{
    qsizetype pos = 0;
    for (int i = 0; i < N; ++i) {
        const qsizetype space = FindByte(Line, ' ', pos);
        if (space < 0)
            return -1;
        pos = SkipSpaces(Line, space);
    }
    return pos;
}

} // namespace

QByteArrayView GetToken(QByteArrayView Line, int N)
{
    if (N < 0)
        return {};
    const qsizetype pos = SkipTokens(Line, N);
    if (pos < 0)
        return {};
    const qsizetype space = FindByte(Line, ' ', pos);
    if (space < 0)
        return {};
    return Line.sliced(pos, space - pos);
}

QByteArrayView GetNameAfterTokens(QByteArrayView Line, int N, bool CutAtArrow)
{
    if (N < 0)
        return {};
    if (CutAtArrow) {
        const qsizetype arrow = FindArrow(Line);
        if (arrow >= 0)
            Line = Line.first(arrow);
    }
    const qsizetype pos = SkipTokens(Line, N);
    if (pos < 0)
        return {};
    const qsizetype space = FindByte(Line, ' ', pos);
    if (space < 0)
        return TrimBlanks(Line.sliced(pos));
    const qsizetype length = qMin(MaxNameLength, Line.size() - space);
    return TrimBlanks(Line.sliced(space, length));
}

QByteArrayView GetLinkPart(QByteArrayView Line)
{
    const qsizetype arrow = FindArrow(Line);
    return arrow < 0 ? QByteArrayView() : Line.sliced(arrow);
}

bool LinkPointsToFolder(QByteArrayView LinkTo)
{
    static constexpr QByteArrayView fileMarkers[] = {".gz", ".exe", ".txt", ".tar", "copying", "readme", ".diff"};
    for (QByteArrayView marker : fileMarkers)
        if (ContainsLowered(LinkTo, marker))
            return false;
    return true;
}

QByteArrayView TrimBlanks(QByteArrayView Text)
{
    qsizetype begin = 0;
    qsizetype end = Text.size();
    while (begin < end && IsBlank(Text[begin]))
        ++begin;
    while (end > begin && IsBlank(Text[end - 1]))
        --end;
    return Text.sliced(begin, end - begin);
}
