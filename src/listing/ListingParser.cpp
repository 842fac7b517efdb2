#include "listing/ListingParser.h"

#include "listing/ListingInternal.h"

using namespace listing_detail;

bool TListingParser::ParseListingLine(TMFtpServerType ServerType, QByteArrayView Line, QByteArray &Name,
                                      QByteArray &Size, QByteArray &Date, QByteArray &LinkTo,
                                      QByteArray &Attributes, QByteArray &Owner, QByteArray &Group,
                                      bool &IsFolder)
{
    const TListingFields out{&Name, &Size, &Date, &LinkTo, &Attributes, &Owner, &Group, &IsFolder};
    for (QByteArray *field : {&Name, &Size, &Date, &LinkTo, &Attributes, &Owner, &Group})
        SetBytes(*field, {});
    IsFolder = false;

    if (Line.isEmpty())
        return false;
    if (Line[0] == '+')
        return ParseEplfLine(Line, out);

    switch (ServerType) {
    case ftpstVmsMultinet:
    case ftpstVmsUcx:
        return ParseVmsLine(Line, out, PendingVmsName, JoinedVmsLine);
    case ftpstVM:
        return ParseVmLine(Line, out);
    case ftpstVMVPS:
        return ParseVmVpsLine(Line, out);
    default:
        break;
    }

    switch (Line[0]) {
    case '-':
    case 'f':
    case 'd':
    case 'l':
        return ParseUnixLine(ServerType, Line, out);
    case '0': case '1': case '2': case '3': case '4':
    case '5': case '6': case '7': case '8': case '9':
        return ParseDosLine(Line, out);
    default:
        return false;
    }
}

bool TListingParser::ParseListingLine(TMFtpServerType ServerType, QByteArrayView Line, MFtpFileInfo &Info,
                                      bool &IsFolder)
{
    SetBytes(Info.Description, {});
    return ParseListingLine(ServerType, Line, Info.FileName, Info.FileSize, Info.ModifiedDate, Info.LinkTo,
                            Info.Attributes, Info.Owner, Info.Group, IsFolder);
}

TListingLineResult TListingParser::AddScratch(bool IsFolder, TMFtpFileInfoList &Folders, TMFtpFileInfoList &Files)
{
    if (!IsFolder) {
        Files.AddInfo(Scratch);
        return llFile;
    }
    if (Scratch.FileName == "." || Scratch.FileName == "..")
        return llDotFolder;
    Folders.AddInfo(Scratch);
    return llFolder;
}

TListingLineResult TListingParser::AddListingLine(TMFtpServerType ServerType, QByteArrayView Line,
                                                  TMFtpFileInfoList &Folders, TMFtpFileInfoList &Files)
{
    bool isFolder = false;
    if (!ParseListingLine(ServerType, Line, Scratch, isFolder))
        return llRejected;
    return AddScratch(isFolder, Folders, Files);
}

TMlsdKind TListingParser::ParseMlsdLine(QByteArrayView Line, MFtpFileInfo &Info, bool &IsFolder)
{
    for (QByteArray *field : {&Info.FileName, &Info.FileSize, &Info.ModifiedDate, &Info.LinkTo, &Info.Attributes,
                              &Info.Owner, &Info.Group, &Info.Description})
        SetBytes(*field, {});
    const TListingFields out{&Info.FileName, &Info.FileSize, &Info.ModifiedDate, &Info.LinkTo,
                             &Info.Attributes, &Info.Owner, &Info.Group, &IsFolder};
    return listing_detail::ParseMlsdLine(Line, out);
}

TListingLineResult TListingParser::AddMlsdLine(QByteArrayView Line, TMFtpFileInfoList &Folders,
                                               TMFtpFileInfoList &Files)
{
    bool isFolder = false;
    switch (ParseMlsdLine(Line, Scratch, isFolder)) {
    case mkNotAnEntry:
        return llRejected;
    case mkCurrentFolder:
    case mkParentFolder:
        return llDotFolder;
    default:
        break;
    }
    return AddScratch(isFolder, Folders, Files);
}
