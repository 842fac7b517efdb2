// Lines in the style of "ls -l":
//   drwxr-xr-x   2 user     group        512 Jan 16 11:14 pub
// and the variants of servers that drop or add columns.

#include "listing/ListingInternal.h"
#include "listing/ListingText.h"

namespace listing_detail {
namespace {

constexpr qsizetype PlainAttributesLength = 10;

// "drwxr-xr-x+" (ACL), "-rw-r--r--." (SELinux context) and "drwxr-xr-x@"
// (extended attributes) are ten-character attributes with a marker.
qsizetype AttributesLength(QByteArrayView Attributes)
{
    if (Attributes.size() == PlainAttributesLength + 1) {
        const char marker = Attributes.back();
        if (marker == '+' || marker == '.' || marker == '@')
            return PlainAttributesLength;
    }
    return Attributes.size();
}

} // namespace

bool ParseUnixLine(TMFtpServerType ServerType, QByteArrayView Line, const TListingFields &Out)
{
    const char kind = Line[0];
    const bool isLink = kind == 'l';
    bool isFolder = kind == 'd' || isLink;

    TLineTokens tokens;
    TokenizeLine(Line, 8, tokens);

    // n: the token that holds the size; the date follows in three tokens.
    int n;
    switch (ServerType) {
    case ftpstNetTerm:
        n = 2; // attributes, ?, size, month, day, time-or-year, name
        break;
    case ftpstNetware:
        n = 3; // attributes, rights, owner, size, ...
        break;
    case ftpstNetPresenz:
        // "drwxrwxr-x               folder        2 May 10  1996 network"
        // "-------r--         326  1391972  1392298 Nov 22  1995 MegaPhone.sit"
        n = isFolder ? 2 : 3;
        break;
    default: {
        const QByteArrayView second = tokens.Token(1);
        if (second.isEmpty())
            return false;
        // "d [RWCEAFMS] owner 512 Jan 16 11:14 pub"
        if (second.startsWith('[') || AttributesLength(tokens.Token(0)) > PlainAttributesLength)
            n = 3;
        else
            n = 4;
        break;
    }
    }

    SetBytes(*Out.Attributes, tokens.Token(0));
    SetBytes(*Out.Owner, tokens.Token(2));
    SetBytes(*Out.Group, tokens.Token(3));
    SetBytes(*Out.Size, tokens.Token(n));
    JoinDateTokensInto(tokens, n + 1, 3, *Out.Date);

    // Only a link line carries a target; in a file or folder line "->" is
    // part of the name ("-rw-r--r-- 1 u g 5 Jan 1 2000 a->b").
    SetBytes(*Out.Name, NameAfterTokens(tokens, n + 3, isLink));
    *Out.IsFolder = isFolder;
    if (isLink)
        ApplyLinkRule(Line, Out);
    return !Out.Name->isEmpty();
}

} // namespace listing_detail
