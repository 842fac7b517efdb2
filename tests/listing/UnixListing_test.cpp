#include "ListingTestSupport.h"

namespace {

class UnixListing : public ::testing::Test
{
protected:
    TFixedCalendar Calendar{2024, 3};
    TListingParser Parser;
};

TEST_F(UnixListing, StandardLines)
{
    const TLineCase cases[] = {
        {ftpstDefault, "drwxr-xr-x   2 user     group        512 Jan 16 11:14 pub", 'd', "pub", "512",
         "2024-01-16 11:14", "drwxr-xr-x", "user", "group", ""},
        {ftpstUNIX, "-rw-r--r--   1 user     group     1024 Mar  3  1999 my file.txt", 'f', "my file.txt", "1024",
         "1999-03-03 12:00", "-rw-r--r--", "user", "group", ""},
        {ftpstUNIX, "lrwxrwxrwx   1 root     root           7 Jan 16 11:14 bin -> usr/bin", 'd', "bin", "7",
         "2024-01-16 11:14", "lrwxrwxrwx", "root", "root", "-> usr/bin"},
        {ftpstUNIX, "lrwxrwxrwx   1 root     root          10 Jan 16 11:14 README -> readme.txt", 'f', "README",
         "10", "2024-01-16 11:14", "lrwxrwxrwx", "root", "root", "-> readme.txt"},
        {ftpstUNIX, "lrwxrwxrwx 1 root root 16 Dec 24 18:00 doc -> ../docs/readme", 'f', "doc", "16",
         "2023-12-24 18:00", "lrwxrwxrwx", "root", "root", "-> ../docs/readme"},
        {ftpstUNIX, "lrwxrwxrwx 1 root root 4 Dec 24 18:00 pub -> /pub", 'd', "pub", "4", "2023-12-24 18:00",
         "lrwxrwxrwx", "root", "root", "-> /pub"},
        // vsftpd
        {ftpstUNIX, "drwxr-xr-x    2 ftp      ftp          4096 Mar 01 10:30 incoming", 'd', "incoming", "4096",
         "2024-03-01 10:30", "drwxr-xr-x", "ftp", "ftp", ""},
        // files beyond 4 GiB keep their size text
        {ftpstUNIX, "-rw-r--r--   1 ftp      ftp      5368709120 Feb 29  2024 big.iso", 'f', "big.iso",
         "5368709120", "2024-02-29 12:00", "-rw-r--r--", "ftp", "ftp", ""},
        // pure-ftpd with numeric owners
        {ftpstUNIX, "-rw-r--r--    1 1000       1000             0 Dec 31 23:59 empty", 'f', "empty", "0",
         "2023-12-31 23:59", "-rw-r--r--", "1000", "1000", ""},
        {ftpstBSD, "drwxr-xr-x   3 ftp ftp 512 Jan 10  2020 .", 'd', ".", "512", "2020-01-10 12:00", "drwxr-xr-x",
         "ftp", "ftp", ""},
        {ftpstSunOS, "drwxr-xr-x   3 ftp ftp 512 Jan 10  2020 ..", 'd', "..", "512", "2020-01-10 12:00",
         "drwxr-xr-x", "ftp", "ftp", ""},
        // names as the server's bytes: UTF-8 and GBK, with inner spaces
        {ftpstUNIX, "-rw-r--r-- 1 user group 100 Jan  2 08:00 \xE4\xB8\xAD\xE6\x96\x87 \xE6\x96\x87\xE4\xBB\xB6.txt",
         'f', "\xE4\xB8\xAD\xE6\x96\x87 \xE6\x96\x87\xE4\xBB\xB6.txt", "100", "2024-01-02 08:00", "-rw-r--r--",
         "user", "group", ""},
        {ftpstUNIX, "-rw-r--r-- 1 user group 100 Jan  2 08:00 \xD6\xD0\xCE\xC4\xCE\xC4\xBC\xFE.txt", 'f',
         "\xD6\xD0\xCE\xC4\xCE\xC4\xBC\xFE.txt", "100", "2024-01-02 08:00", "-rw-r--r--", "user", "group", ""},
        // leading and trailing spaces of a name do not survive
        {ftpstUNIX, "-rw-r--r-- 1 user group 1 Jan  2 08:00   spaced   ", 'f', "spaced", "1", "2024-01-02 08:00",
         "-rw-r--r--", "user", "group", ""},
        // "f" as the first character: a file
        {ftpstUNIX, "f--------- 1 user group 9 Jan  2 08:00 odd", 'f', "odd", "9", "2024-01-02 08:00", "f---------",
         "user", "group", ""},
        // tabs do not separate tokens
        {ftpstUNIX, "-rw-r--r-- 1 user group 9 Jan  2 08:00 tab\there", 'f', "tab\there", "9", "2024-01-02 08:00",
         "-rw-r--r--", "user", "group", ""},
    };
    for (const TLineCase &c : cases)
        ExpectLine(Parser, c);
}

TEST_F(UnixListing, ArrowInAFileOrFolderNameIsPartOfTheName)
{
    const TLineCase cases[] = {
        {ftpstUNIX, "-rw-r--r-- 1 u g 5 Jan 1 2000 a->b", 'f', "a->b", "5", "2000-01-01 12:00", "-rw-r--r--", "u",
         "g", ""},
        {ftpstUNIX, "drwxr-xr-x 1 u g 5 Jan 1 2000 x -> y.txt", 'd', "x -> y.txt", "5", "2000-01-01 12:00",
         "drwxr-xr-x", "u", "g", ""},
    };
    for (const TLineCase &c : cases)
        ExpectLine(Parser, c);
}

TEST_F(UnixListing, AttributeMarkersOfLsDoNotShiftTheColumns)
{
    const TLineCase cases[] = {
        {ftpstUNIX, "drwxr-xr-x+  2 user group 512 Jan 16 11:14 pub", 'd', "pub", "512", "2024-01-16 11:14",
         "drwxr-xr-x+", "user", "group", ""},
        {ftpstUNIX, "-rw-r--r--.  1 root root 1234 Feb  3  2021 selinux.conf", 'f', "selinux.conf", "1234",
         "2021-02-03 12:00", "-rw-r--r--.", "root", "root", ""},
        {ftpstUNIX, "drwxr-xr-x@ 12 me staff 384 Jan 16 11:14 mac", 'd', "mac", "384", "2024-01-16 11:14",
         "drwxr-xr-x@", "me", "staff", ""},
        // a longer first token still means the link count is missing
        {ftpstUNIX, "-rwxrwxrwx12 owner group 1234 Jan 16 11:14 merged", 'f', "merged", "1234",
         "2024-01-16 11:14", "-rwxrwxrwx12", "group", "1234", ""},
    };
    for (const TLineCase &c : cases)
        ExpectLine(Parser, c);
}

TEST_F(UnixListing, ServerVariants)
{
    const TLineCase cases[] = {
        {ftpstNetware, "d [RWCEAFMS] owner 512 Jan 16 11:14 pub", 'd', "pub", "512", "2024-01-16 11:14", "d",
         "owner", "512", ""},
        {ftpstDefault, "d [RWCEAFMS] owner 512 Jan 16 11:14 pub", 'd', "pub", "512", "2024-01-16 11:14", "d",
         "owner", "512", ""},
        {ftpstNetware, "- [RWCEAFMS] supervisor 81 Apr 24 1996 login.txt", 'f', "login.txt", "81",
         "1996-04-24 12:00", "-", "supervisor", "81", ""},
        {ftpstNetPresenz, "drwxrwxr-x               folder        2 May 10  1996 network", 'd', "network", "2",
         "1996-05-10 12:00", "drwxrwxr-x", "2", "May", ""},
        {ftpstNetPresenz, "-------r--         326  1391972  1392298 Nov 22  1995 MegaPhone.sit", 'f',
         "MegaPhone.sit", "1392298", "1995-11-22 12:00", "-------r--", "1391972", "1392298", ""},
        {ftpstNetTerm, "-rw-rw-rw-   1 1024 Jan 16 11:14 readme.txt", 'f', "readme.txt", "1024",
         "2024-01-16 11:14", "-rw-rw-rw-", "1024", "Jan", ""},
        {ftpstNetTerm, "d  x 5 Jan 16 11:14 a", 'd', "a", "5", "2024-01-16 11:14", "d", "5", "Jan", ""},
        // MVS and the other types use the UNIX columns too
        {ftpstMVS, "-rw-r--r-- 1 u g 7 Jan 16 11:14 f", 'f', "f", "7", "2024-01-16 11:14", "-rw-r--r--", "u", "g", ""},
        {ftpstAutoDetect, "-rw-r--r-- 1 u g 7 Jan 16 11:14 f", 'f', "f", "7", "2024-01-16 11:14", "-rw-r--r--", "u",
         "g", ""},
        {ftpstServU, "-rw-r--r-- 1 u g 7 Jan 16 11:14 f", 'f', "f", "7", "2024-01-16 11:14", "-rw-r--r--", "u", "g",
         ""},
    };
    for (const TLineCase &c : cases)
        ExpectLine(Parser, c);
}

TEST_F(UnixListing, LinesThatAreNotEntries)
{
    const TLineCase cases[] = {
        {ftpstUNIX, "total 1234", 0},
        {ftpstUNIX, "", 0},
        {ftpstUNIX, "drwxr-xr-x", 0},
        {ftpstUNIX, "drwxr-xr-x 2", 0},              // token 1 is the last token: empty
        {ftpstMVS, "Volume Unit    Referred Ext Used Recfm Lrecl BlkSz Dsorg Dsname", 0},
        {ftpstMVS, "WYPTR1 3390   2024/01/16  1   15  FB      80  6160  PO  ALIB", 0},
        {ftpstUNIX, "-rw-r--r-- 1 u g 5 Jan 1 2000  ", 0}, // nothing after the date: no name
    };
    for (const TLineCase &c : cases)
        ExpectLine(Parser, c);
}

TEST_F(UnixListing, LineWithoutANameTakesTheLastTokenAsName)
{
    // The name is whatever follows the date tokens; here the time is the last token.
    ExpectLine(Parser, {ftpstUNIX, "drwxr-xr-x 2 user group 512 Jan 16 11:14", 'd', "11:14", "512", "1/1/80 12:00",
                        "drwxr-xr-x", "user", "group", ""});
}

} // namespace
