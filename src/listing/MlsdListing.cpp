// Machine listings (MLSD): one entry per line, facts before the first blank
// and the name after it, exactly as the server sent it:
//   type=file;size=1024;modify=20240303091500.123;UNIX.mode=0644; my file.txt
// Fact names and type values compare without regard to case.

#include "listing/ListingDate.h"
#include "listing/ListingInternal.h"
#include "listing/ListingText.h"
#include "listing/MlsdListing.h"

namespace listing_detail {
namespace {

char LowerAscii(char C) { return (C >= 'A' && C <= 'Z') ? char(C + ('a' - 'A')) : C; }

bool EqualsIgnoringCase(QByteArrayView Text, QByteArrayView Lower)
{
    if (Text.size() != Lower.size())
        return false;
    for (qsizetype i = 0; i < Text.size(); ++i)
        if (LowerAscii(Text[i]) != Lower[i])
            return false;
    return true;
}

bool StartsIgnoringCase(QByteArrayView Text, QByteArrayView Lower)
{
    return Text.size() >= Lower.size() && EqualsIgnoringCase(Text.first(Lower.size()), Lower);
}

int Number(QByteArrayView Digits)
{
    int n = 0;
    for (char c : Digits)
        n = n * 10 + (c - '0');
    return n;
}

// "YYYYMMDDHHMMSS[.sss]" (UTC) to "yyyy-mm-dd hh:mm", like the other layouts
// write dates; DefaultListDate when the text is no such time.
void ConvertMachineTime(QByteArrayView Text, QByteArray &Out)
{
    bool ok = Text.size() >= 14 && AllDigits(Text.first(14));
    if (ok && Text.size() > 14)
        ok = Text[14] == '.' && (Text.size() == 15 || AllDigits(Text.sliced(15)));
    if (ok) {
        const int month = Number(Text.sliced(4, 2));
        const int day = Number(Text.sliced(6, 2));
        const int hour = Number(Text.sliced(8, 2));
        const int minute = Number(Text.sliced(10, 2));
        const int second = Number(Text.sliced(12, 2));
        ok = month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour <= 23 && minute <= 59 && second <= 60;
    }
    if (!ok) {
        SetBytes(Out, QByteArrayView(DefaultListDate));
        return;
    }
    Out.resize(16);
    char *o = Out.data();
    const char *t = Text.data();
    std::memcpy(o, t, 4);
    o[4] = '-';
    std::memcpy(o + 5, t + 4, 2);
    o[7] = '-';
    std::memcpy(o + 8, t + 6, 2);
    o[10] = ' ';
    std::memcpy(o + 11, t + 8, 2);
    o[13] = ':';
    std::memcpy(o + 14, t + 10, 2);
}

// "0755", "755", "0o755" (as some servers print octal), "100644".
bool ParseMode(QByteArrayView Text, unsigned &Mode)
{
    if (Text.size() > 2 && Text[0] == '0' && (Text[1] == 'o' || Text[1] == 'O'))
        Text = Text.sliced(2);
    if (Text.isEmpty() || Text.size() > 8)
        return false;
    unsigned mode = 0;
    for (char c : Text) {
        if (c < '0' || c > '7')
            return false;
        mode = mode * 8 + unsigned(c - '0');
    }
    Mode = mode & 07777;
    return true;
}

// The attribute text "ls -l" shows for a kind letter and permission bits.
void ModeText(char Kind, unsigned Mode, QByteArray &Out)
{
    Out.resize(10);
    char *o = Out.data();
    o[0] = Kind;
    static constexpr char letters[] = "rwx";
    for (int i = 0; i < 9; ++i)
        o[1 + i] = (Mode & (0400u >> i)) ? letters[i % 3] : '-';
    const auto special = [&](int At, unsigned Bit, char WithX, char WithoutX) {
        if (Mode & Bit)
            o[At] = o[At] == 'x' ? WithX : WithoutX;
    };
    special(3, 04000, 's', 'S');
    special(6, 02000, 's', 'S');
    special(9, 01000, 't', 'T');
}

} // namespace

TMlsdKind ParseMlsdLine(QByteArrayView Line, const TListingFields &Out)
{
    *Out.IsFolder = false;
    const qsizetype blank = Line.indexOf(' ');
    if (blank < 0 || blank + 1 >= Line.size())
        return mkNotAnEntry;
    const QByteArrayView facts = Line.first(blank);
    SetBytes(*Out.Name, Line.sliced(blank + 1));

    TMlsdKind kind = mkFile;
    QByteArrayView linkTarget;
    bool linkTargetKnown = false;
    QByteArrayView size, sizeOfFolder, modify, mode;
    QByteArrayView owner[3], group[3]; // name, owner/group fact, numeric id
    qsizetype start = 0;
    while (start < facts.size()) {
        qsizetype end = facts.indexOf(';', start);
        if (end < 0)
            end = facts.size();
        const QByteArrayView fact = facts.sliced(start, end - start);
        start = end + 1;
        const qsizetype equals = fact.indexOf('=');
        if (equals <= 0)
            continue;
        const QByteArrayView name = fact.first(equals);
        const QByteArrayView value = fact.sliced(equals + 1);
        if (EqualsIgnoringCase(name, "type")) {
            if (EqualsIgnoringCase(value, "dir")) {
                kind = mkFolder;
            } else if (EqualsIgnoringCase(value, "cdir")) {
                kind = mkCurrentFolder;
            } else if (EqualsIgnoringCase(value, "pdir")) {
                kind = mkParentFolder;
            } else if (StartsIgnoringCase(value, "os.unix=slink") || StartsIgnoringCase(value, "os.unix=symlink")) {
                kind = mkLink;
                const qsizetype colon = value.indexOf(':');
                linkTargetKnown = colon >= 0 && colon + 1 < value.size();
                if (linkTargetKnown)
                    linkTarget = value.sliced(colon + 1);
            } else {
                kind = mkFile; // files, devices, and types not known here
            }
        } else if (EqualsIgnoringCase(name, "size")) {
            size = value;
        } else if (EqualsIgnoringCase(name, "sizd")) {
            sizeOfFolder = value;
        } else if (EqualsIgnoringCase(name, "modify")) {
            modify = value;
        } else if (EqualsIgnoringCase(name, "unix.mode")) {
            mode = value;
        } else if (EqualsIgnoringCase(name, "unix.ownername")) {
            owner[0] = value;
        } else if (EqualsIgnoringCase(name, "unix.owner")) {
            owner[1] = value;
        } else if (EqualsIgnoringCase(name, "unix.uid")) {
            owner[2] = value;
        } else if (EqualsIgnoringCase(name, "unix.groupname")) {
            group[0] = value;
        } else if (EqualsIgnoringCase(name, "unix.group")) {
            group[1] = value;
        } else if (EqualsIgnoringCase(name, "unix.gid")) {
            group[2] = value;
        }
    }

    if (AllDigits(size))
        SetBytes(*Out.Size, size);
    else if (AllDigits(sizeOfFolder))
        SetBytes(*Out.Size, sizeOfFolder);
    ConvertMachineTime(modify, *Out.Date);
    for (QByteArrayView o : owner) {
        if (!o.isEmpty()) {
            SetBytes(*Out.Owner, o);
            break;
        }
    }
    for (QByteArrayView g : group) {
        if (!g.isEmpty()) {
            SetBytes(*Out.Group, g);
            break;
        }
    }
    const bool folderKind = kind == mkFolder || kind == mkCurrentFolder || kind == mkParentFolder;
    unsigned bits = 0;
    if (ParseMode(mode, bits))
        ModeText(kind == mkLink ? 'l' : folderKind ? 'd' : '-', bits, *Out.Attributes);

    *Out.IsFolder = folderKind;
    if (kind == mkLink) {
        // As a LIST line shows it: "-> target"; a link is a folder unless its
        // target looks like a file.
        Out.LinkTo->resize(0);
        Out.LinkTo->append("->", 2);
        if (linkTargetKnown)
            Out.LinkTo->append(' ').append(linkTarget.data(), linkTarget.size());
        *Out.IsFolder = LinkPointsToFolder(*Out.LinkTo);
    }
    return kind;
}

} // namespace listing_detail
