#pragma once
// Listing lines to directory entries, by the layout of the server family.

#include "listing/FileInfo.h"
#include "listing/MlsdListing.h"
#include "listing/ServerType.h"

#include <QByteArray>
#include <QByteArrayView>

// What AddListingLine did with a line.
enum TListingLineResult {
    llRejected, // not an entry (heading, total, blank, unknown layout)
    llFile,     // appended to the files
    llFolder,   // appended to the folders
    llDotFolder // "." or "..": parsed, not kept
};

// One parser per listing: a VMS name that stands alone on its line is held
// until the line with its size and date arrives, so lines must come in order.
class TListingParser
{
public:
    // Line is one listing line as the server sent it, without its line end.
    // Returns false when the line is not an entry; true with the entry's
    // fields, where those the layout does not provide are empty. The outputs
    // keep their buffers from call to call when they have room.
    bool ParseListingLine(TMFtpServerType ServerType, QByteArrayView Line, QByteArray &Name, QByteArray &Size,
                          QByteArray &Date, QByteArray &LinkTo, QByteArray &Attributes, QByteArray &Owner,
                          QByteArray &Group, bool &IsFolder);
    // The same into a record (Description stays empty).
    bool ParseListingLine(TMFtpServerType ServerType, QByteArrayView Line, MFtpFileInfo &Info, bool &IsFolder);

    // Parses Line and appends its entry to Folders or Files, as the engine
    // keeps a listing: folders named "." or ".." are dropped.
    TListingLineResult AddListingLine(TMFtpServerType ServerType, QByteArrayView Line, TMFtpFileInfoList &Folders,
                                      TMFtpFileInfoList &Files);

    // One line of a machine listing (MLSD): "fact=value;...; name". The
    // record is filled as a LIST line of the same entry fills it: the name
    // (every byte after the first blank, ";" and blanks included), size,
    // modify time as "yyyy-mm-dd hh:mm" (UTC, as sent), UNIX.mode as
    // "drwxr-xr-x" (empty without it), owner and group (names when the
    // server gives them, else the numbers), and for links LinkTo "-> target"
    // with the link rule deciding folder or file. Returns the entry's kind;
    // mkNotAnEntry (false) for a line without a name.
    TMlsdKind ParseMlsdLine(QByteArrayView Line, MFtpFileInfo &Info, bool &IsFolder);
    // Parses an MLSD line and appends its entry like AddListingLine: cdir
    // and pdir entries, and folders named "." or "..", are dropped.
    TListingLineResult AddMlsdLine(QByteArrayView Line, TMFtpFileInfoList &Folders, TMFtpFileInfoList &Files);

    // Whether a VMS name is waiting for the line with its details.
    bool HasPendingName() const { return !PendingVmsName.isEmpty(); }
    // Forgets a waiting VMS name (a listing that ended after it).
    void Reset() { PendingVmsName.clear(); }

private:
    // Appends the parsed Scratch entry to its list; "." and ".." are left out.
    TListingLineResult AddScratch(bool IsFolder, TMFtpFileInfoList &Folders, TMFtpFileInfoList &Files);

    QByteArray PendingVmsName;
    QByteArray JoinedVmsLine;
    MFtpFileInfo Scratch;
};
