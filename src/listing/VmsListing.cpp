// VMS servers (MultiNet, UCX):
//   CMU-IP.DIR;1              2/3          17-JUN-1994 11:01:23  [OWNER]  (RWE,RWE,RE,RE)
// A long name may stand alone, its details on the next line:
//   A_VERY_LONG_FILE_NAME.TXT;1
//           9/18  17-JUN-1994 14:38:08  [OWNER]  (RWED,RWED,RE,)

#include "listing/ListingInternal.h"
#include "listing/ListingText.h"

namespace listing_detail {
namespace {

bool IsNameOnly(QByteArrayView Text) { return Text.contains(';') && !Text.contains(' '); }

bool EndsWithDirectoryType(QByteArrayView Name)
{
    return Name.size() > 4 && Name.sliced(Name.size() - 4).compare(".DIR", Qt::CaseInsensitive) == 0;
}

} // namespace

bool ParseVmsLine(QByteArrayView Line, const TListingFields &Out, QByteArray &PendingName, QByteArray &Joined)
{
    const QByteArrayView own = TrimBlanks(Line);
    QByteArrayView text = own;
    if (!PendingName.isEmpty()) {
        if (IsNameOnly(own)) {
            // A name whose details never came: the new name takes its place.
            PendingName = own.toByteArray();
            return false;
        }
        Joined.resize(0);
        Joined.append(PendingName).append(' ').append(own.data(), own.size());
        PendingName.clear();
        text = Joined;
    }

    if (!text.contains(';')) // "Directory DSA0:[ANON]", "Total of 12 files, ..."
        return false;
    if (IsNameOnly(text)) {
        PendingName = text.toByteArray();
        return false;
    }

    TLineTokens tokens;
    TokenizeLine(text, 4, tokens);
    const QByteArrayView first = tokens.Token(0);
    const qsizetype version = first.indexOf(';');
    QByteArrayView name = version < 0 ? QByteArrayView() : first.first(version);
    *Out.IsFolder = EndsWithDirectoryType(name);
    if (*Out.IsFolder)
        name = name.first(name.size() - 4);

    SetBytes(*Out.Name, name);
    SetBytes(*Out.Size, tokens.Token(1));
    JoinDateTokensInto(tokens, 2, 2, *Out.Date);
    ApplyLinkRule(text, Out);
    return !name.isEmpty();
}

} // namespace listing_detail
