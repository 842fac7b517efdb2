// IBM VM/CMS servers: file name, file type, then format, record length,
// records, blocks, date and time columns.

#include "listing/ListingInternal.h"
#include "listing/ListingText.h"

#include <QVarLengthArray>

namespace listing_detail {
namespace {

// "fn ft" of a CMS file becomes "fn.ft".
bool SetCmsName(const TLineTokens &Tokens, const TListingFields &Out)
{
    const QByteArrayView name = Tokens.Token(0);
    const QByteArrayView type = Tokens.Token(1);
    if (name.isEmpty() || type.isEmpty())
        return false;
    QByteArray &out = *Out.Name;
    SetBytes(out, name);
    out.append('.').append(type.data(), type.size());
    return true;
}

} // namespace

bool ParseVmLine(QByteArrayView Line, const TListingFields &Out)
{
    TLineTokens tokens;
    TokenizeLine(Line, 8, tokens);
    if (!SetCmsName(tokens, Out))
        return false;
    SetBytes(*Out.Size, tokens.Token(3));
    JoinDateTokensInto(tokens, 6, 2, *Out.Date);
    *Out.IsFolder = false;
    ApplyLinkRule(Line, Out);
    return true;
}

bool ParseVmVpsLine(QByteArrayView Line, const TListingFields &Out)
{
    if (Line.contains('=') || Line.contains("totals:") || Line.contains(" rf trks") || Line.contains("track limit"))
        return false;
    TLineTokens tokens;
    TokenizeLine(Line, 8, tokens);
    if (!SetCmsName(tokens, Out))
        return false;
    SetBytes(*Out.Size, tokens.Token(2));
    // The date comes as token 7, a space and token 6.
    const QByteArrayView dayPart = tokens.Token(7);
    const QByteArrayView timePart = tokens.Token(6);
    QVarLengthArray<char, 64> date;
    date.append(dayPart.data(), dayPart.size());
    date.append(' ');
    date.append(timePart.data(), timePart.size());
    ConvertListDateInto(QByteArrayView(date.constData(), date.size()), *Out.Date);
    *Out.IsFolder = false;
    ApplyLinkRule(Line, Out);
    return true;
}

} // namespace listing_detail
