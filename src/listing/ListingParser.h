#pragma once
// Listing lines to directory entries, by the layout of the server family.

#include "listing/FileInfo.h"
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

    // Whether a VMS name is waiting for the line with its details.
    bool HasPendingName() const { return !PendingVmsName.isEmpty(); }
    // Forgets a waiting VMS name (a listing that ended after it).
    void Reset() { PendingVmsName.clear(); }

private:
    QByteArray PendingVmsName;
    QByteArray JoinedVmsLine;
    MFtpFileInfo Scratch;
};
