// Easily parsed LIST format: "+" facts separated by "," and the name after a tab:
//   +i8388621.48594,m825718503,r,s280,	djb.html

#include "listing/ListingInternal.h"
#include "listing/ListingText.h"

namespace listing_detail {

bool ParseEplfLine(QByteArrayView Line, const TListingFields &Out)
{
    QByteArrayView rest = Line.sliced(1);
    SetBytes(*Out.Size, "0");
    SetBytes(*Out.Date, "1/1/80 12:00");
    *Out.IsFolder = false;

    qsizetype comma;
    while ((comma = rest.indexOf(',')) >= 0) {
        const QByteArrayView fact = rest.first(comma);
        rest = rest.sliced(comma + 1);
        if (fact.isEmpty())
            continue;
        const QByteArrayView value = fact.sliced(1);
        switch (fact[0]) {
        case '/':
            *Out.IsFolder = true;
            break;
        case 'r':
            *Out.IsFolder = false;
            break;
        case 's':
            SetBytes(*Out.Size, value);
            break;
        case 'm':
            ConvertEpochDateInto(value, *Out.Date);
            break;
        case 'i':
            SetBytes(*Out.LinkTo, value);
            break;
        default:
            break;
        }
    }
    SetBytes(*Out.Name, TrimBlanks(rest));
    return !Out.Name->isEmpty();
}

} // namespace listing_detail
