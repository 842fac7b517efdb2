#pragma once
// Kinds of entries a machine listing (MLSD) names. The parsing itself is a
// member of TListingParser (ListingParser.h).

enum TMlsdKind {
    mkNotAnEntry,
    mkFile,          // type=file, devices and types not known
    mkFolder,        // type=dir
    mkLink,          // type=OS.unix=slink:<target> (or symlink)
    mkCurrentFolder, // type=cdir: the listed folder itself
    mkParentFolder,  // type=pdir
};
