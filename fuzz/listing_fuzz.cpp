// libFuzzer target: the first byte picks the server type, the rest is a
// listing (lines end in LF or CR LF). Every line goes through the parser (as
// a LIST line and as an MLSD line) and the shared routines; the lists are
// then sorted by every column.

#include "listing/ListingDate.h"
#include "listing/ListingInternal.h"
#include "listing/ListingParser.h"
#include "listing/ListingText.h"

#include <cstdint>
#include <cstdlib>

namespace {

void Check(bool Condition)
{
    if (!Condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, size_t Size)
{
    if (Size == 0)
        return 0;
    SetStartYear(2024);
    SetCurrentMonthOverride(1 + Data[0] % 12);
    const auto type = TMFtpServerType(Data[0] % ftpstCount);
    const QByteArrayView input(reinterpret_cast<const char *>(Data + 1), qsizetype(Size - 1));

    TListingParser parser;
    TMFtpFileInfoList folders;
    TMFtpFileInfoList files;
    TListingParser mlsdParser;
    TMFtpFileInfoList mlsdFolders;
    TMFtpFileInfoList mlsdFiles;
    qsizetype pos = 0;
    while (pos < input.size()) {
        qsizetype end = input.indexOf('\n', pos);
        const qsizetype next = end < 0 ? input.size() : end + 1;
        if (end < 0)
            end = input.size();
        if (end > pos && input[end - 1] == '\r')
            --end;
        const QByteArrayView line = input.sliced(pos, end - pos);
        pos = next;

        const int before = folders.Count() + files.Count();
        const TListingLineResult result = parser.AddListingLine(type, line, folders, files);
        Check((result == llFile || result == llFolder) == (folders.Count() + files.Count() == before + 1));

        const int mlsdBefore = mlsdFolders.Count() + mlsdFiles.Count();
        const TListingLineResult mlsd = mlsdParser.AddMlsdLine(line, mlsdFolders, mlsdFiles);
        Check((mlsd == llFile || mlsd == llFolder) == (mlsdFolders.Count() + mlsdFiles.Count() == mlsdBefore + 1));
        MFtpFileInfo info;
        bool isFolder = false;
        const TMlsdKind kind = mlsdParser.ParseMlsdLine(line, info, isFolder);
        // An entry always has a name, and the name is the line's last bytes.
        Check(kind == mkNotAnEntry || (!info.FileName.isEmpty() && line.endsWith(info.FileName)));

        listing_detail::TLineTokens tokens;
        listing_detail::TokenizeLine(line, 8, tokens);
        for (int n = 0; n < 9; ++n) {
            if (n < 8)
                Check(tokens.Token(n) == GetToken(line, n));
            Check(listing_detail::NameAfterTokens(tokens, n, true) == GetNameAfterTokens(line, n, true));
            Check(listing_detail::NameAfterTokens(tokens, n, false) == GetNameAfterTokens(line, n, false));
        }
        (void)LinkPointsToFolder(GetLinkPart(line));
        Check(!ConvertListDate(line).isEmpty());
        (void)MakeDateSortKey(line);
        (void)ConvertEpochDate(line);
        (void)ConvertDosDate(line, line);
    }
    for (const TMFtpFileInfoList *list : {&folders, &files, &mlsdFolders, &mlsdFiles})
        for (int i = 0; i < list->Count(); ++i) {
            Check(!list->FileName(i).isEmpty());
            Check(!list->Field(fiModifiedDate, i).isEmpty());
        }
    for (int field = -1; field <= fiTypeName + 1; ++field)
        for (bool ascending : {true, false}) {
            for (TMFtpFileInfoList *list : {&folders, &files, &mlsdFolders, &mlsdFiles})
                list->Sort(TFileInfoField(field), ascending);
        }
    return 0;
}
