// MS-DOS style lines of Windows servers:
//   01-16-02  11:14AM       <DIR>          epsgroup
//   01-16-02  09:05PM                 1024 my report.doc

#include "listing/ListingInternal.h"
#include "listing/ListingText.h"

namespace listing_detail {
namespace {

// The size column ends 21 bytes after the time, and one space follows it,
// so the name starts 22 bytes after the end of the time token (byte 39 with
// two-digit years, 41 with "01-16-2002"). Names with leading spaces or
// leading digits stay whole. A line that does not keep those columns gets
// the text after the size token and its spaces.
QByteArrayView NameColumn(const TLineTokens &Tokens)
{
    constexpr qsizetype NameOffsetAfterTime = 22;
    const QByteArrayView line = Tokens.Line;
    if (Tokens.Found < 3)
        return {};
    const qsizetype nameStart = Tokens.End[1] + NameOffsetAfterTime;
    if (nameStart <= line.size() && line[nameStart - 1] == ' ' && Tokens.End[2] < nameStart)
        return line.sliced(nameStart);
    qsizetype start = Tokens.End[2];
    while (start < line.size() && line[start] == ' ')
        ++start;
    return line.sliced(start);
}

} // namespace

bool ParseDosLine(QByteArrayView Line, const TListingFields &Out)
{
    TLineTokens tokens;
    TokenizeLine(Line, 3, tokens);

    const QByteArrayView size = tokens.Token(2);
    if (size == "<DIR>") {
        *Out.IsFolder = true;
        SetBytes(*Out.Size, "0");
    } else {
        *Out.IsFolder = false;
        SetBytes(*Out.Size, size);
    }
    ConvertDosDateInto(tokens.Token(0), tokens.Token(1), *Out.Date);
    SetBytes(*Out.Name, NameColumn(tokens));
    return !Out.Name->isEmpty();
}

} // namespace listing_detail
