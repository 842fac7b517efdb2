#pragma once
// Pieces shared by the listing layouts; not part of the listing's interface.

#include "listing/MlsdListing.h"
#include "listing/ServerType.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstring>

namespace listing_detail {

// Copies bytes into Out, reusing its buffer when it has room.
inline void SetBytes(QByteArray &Out, QByteArrayView Text)
{
    if (Text.isEmpty()) {
        if (!Out.isEmpty())
            Out.resize(0);
        return;
    }
    Out.resize(Text.size());
    std::memcpy(Out.data(), Text.data(), size_t(Text.size()));
}

inline bool IsBlank(char C) { return static_cast<unsigned char>(C) <= ' '; }
inline bool IsDigit(char C) { return C >= '0' && C <= '9'; }

// True for a non-empty run of decimal digits.
inline bool AllDigits(QByteArrayView Text)
{
    if (Text.isEmpty())
        return false;
    for (char c : Text)
        if (!IsDigit(c))
            return false;
    return true;
}

// The first tokens of a line as GetToken defines them, found in one pass.
struct TLineTokens {
    static constexpr int Capacity = 10;
    QByteArrayView Line;
    int Found = 0;    // tokens 0..Found-1 have a space after them
    int Searched = 0; // how many tokens were looked for
    qsizetype Start[Capacity];
    qsizetype End[Capacity];

    QByteArrayView Token(int N) const
    {
        return N < Found ? Line.sliced(Start[N], End[N] - Start[N]) : QByteArrayView();
    }
};

// Finds tokens 0..Needed-1 (Needed <= TLineTokens::Capacity).
void TokenizeLine(QByteArrayView Line, int Needed, TLineTokens &Tokens);

// GetNameAfterTokens(Tokens.Line, N, CutAtArrow), from tokens already found.
QByteArrayView NameAfterTokens(const TLineTokens &Tokens, int N, bool CutAtArrow);

// The routines of ListingDate.h, writing into a reused buffer.
void ConvertListDateInto(QByteArrayView Text, QByteArray &Out);
void JoinDateTokensInto(const TLineTokens &Tokens, int N, int Count, QByteArray &Out);
void ConvertEpochDateInto(QByteArrayView Text, QByteArray &Out);
void ConvertDosDateInto(QByteArrayView DateToken, QByteArrayView TimeToken, QByteArray &Out);
void MakeDateSortKeyInto(QByteArrayView DateText, QByteArray &Out);

// Where one parsed line goes. Every layout leaves the fields it does not
// provide empty (the dispatch empties them all first).
struct TListingFields {
    QByteArray *Name;
    QByteArray *Size;
    QByteArray *Date;
    QByteArray *LinkTo;
    QByteArray *Attributes;
    QByteArray *Owner;
    QByteArray *Group;
    bool *IsFolder;
};

// Link rule for layouts that list links: LinkTo from the line's "->" on, and
// a link that does not look like a file makes a folder.
void ApplyLinkRule(QByteArrayView Line, const TListingFields &Out);

// The layouts. Each returns whether the line is an entry.
bool ParseUnixLine(TMFtpServerType ServerType, QByteArrayView Line, const TListingFields &Out);
bool ParseEplfLine(QByteArrayView Line, const TListingFields &Out);
bool ParseDosLine(QByteArrayView Line, const TListingFields &Out);
// PendingName carries a VMS name that stood alone on its line to the next
// call; Joined is scratch space for the name and the line after it.
bool ParseVmsLine(QByteArrayView Line, const TListingFields &Out, QByteArray &PendingName, QByteArray &Joined);
bool ParseVmLine(QByteArrayView Line, const TListingFields &Out);
// One MLSD line; what kind of entry it names (mkNotAnEntry: none).
TMlsdKind ParseMlsdLine(QByteArrayView Line, const TListingFields &Out);
bool ParseVmVpsLine(QByteArrayView Line, const TListingFields &Out);

} // namespace listing_detail
