#include "ListingTestSupport.h"

namespace {

class OtherListings : public ::testing::Test
{
protected:
    TFixedCalendar Calendar{2024, 3};
    TListingParser Parser;
};

TEST_F(OtherListings, Eplf)
{
    const TLineCase cases[] = {
        {ftpstUNIX, "+i8388621.48594,m825718503,r,s280,\tdjb.html", 'f', "djb.html", "280", "1996-03-01 22:15", "",
         "", "", "8388621.48594"},
        {ftpstUNIX, "+/,\tpub", 'd', "pub", "0", "1/1/80 12:00", "", "", "", ""},
        {ftpstUNIX, "+r,s10,", 0},
        {ftpstUNIX, "+", 0},
        {ftpstUNIX, "+,,,", 0},
        {ftpstUNIX, "+,,,\t ", 0},
        // later "/" or "r" facts win; unknown facts are ignored
        {ftpstUNIX, "+/,r,up644,s5,\tfile", 'f', "file", "5", "1/1/80 12:00", "", "", "", ""},
        {ftpstUNIX, "+r,/,\tdir", 'd', "dir", "0", "1/1/80 12:00", "", "", "", ""},
        {ftpstUNIX, "+m99999999999,s5368709120,\tbig.iso", 'f', "big.iso", "5368709120", "1/1/80 12:00", "", "", "",
         ""},
        {ftpstUNIX, "+m0,\tepoch", 'f', "epoch", "0", "1970-01-01 00:00", "", "", "", ""},
        // no facts: all of it is the name
        {ftpstUNIX, "+plain name", 'f', "plain name", "0", "1/1/80 12:00", "", "", "", ""},
        // the link rule does not apply
        {ftpstUNIX, "+r,\tname -> x", 'f', "name -> x", "0", "1/1/80 12:00", "", "", "", ""},
        // whatever the server type
        {ftpstVmsMultinet, "+/,\tpub", 'd', "pub", "0", "1/1/80 12:00", "", "", "", ""},
        {ftpstVM, "+r,s1,\tf", 'f', "f", "1", "1/1/80 12:00", "", "", "", ""},
        {ftpstVMVPS, "+r,s1,\tf=1", 'f', "f=1", "1", "1/1/80 12:00", "", "", "", ""},
    };
    for (const TLineCase &c : cases)
        ExpectLine(Parser, c);
}

TEST_F(OtherListings, DosAndIis)
{
    const TLineCase cases[] = {
        {ftpstMSFTP, "01-16-02  11:14AM       <DIR>          epsgroup", 'd', "epsgroup", "0", "01-16-02 11:14 AM"},
        {ftpstMSFTP, "01-16-02  09:05PM                 1024 my report.doc", 'f', "my report.doc", "1024",
         "01-16-02 09:05 PM"},
        {ftpstDefault, "01-16-02  09:05PM           5368709120 big.iso", 'f', "big.iso", "5368709120",
         "01-16-02 09:05 PM"},
        // the name is taken by column: leading digits and spaces stay
        {ftpstMSFTP, "01-16-02  09:05PM                 1024 2024 report.doc", 'f', "2024 report.doc", "1024",
         "01-16-02 09:05 PM"},
        {ftpstMSFTP, "01-16-02  09:05PM                 1024  lead", 'f', " lead", "1024", "01-16-02 09:05 PM"},
        {ftpstMSFTP, "01-16-02  09:05PM       <DIR>           lead", 'd', " lead", "0", "01-16-02 09:05 PM"},
        // four-digit years move the columns by two
        {ftpstMSFTP, "01-16-2002  11:14AM       <DIR>          epsgroup", 'd', "epsgroup", "0",
         "01-16-2002 11:14 AM"},
        {ftpstMSFTP, "01-16-2002  09:05PM                 1024 my report.doc", 'f', "my report.doc", "1024",
         "01-16-2002 09:05 PM"},
        // other spacing: the name follows the size
        {ftpstMSFTP, "01-16-02 11:14AM <DIR> short", 'd', "short", "0", "01-16-02 11:14 AM"},
        {ftpstMSFTP, "01-16-02  09:05PM 1234567890123456789012345 huge", 'f', "huge", "1234567890123456789012345",
         "01-16-02 09:05 PM"},
        {ftpstWFTPD, "01/16/02  09:05PM                 1024 slash.txt", 'f', "slash.txt", "1024",
         "01-16-02 09:05 PM"},
        // short date tokens stay as they are
        {ftpstMSFTP, "1-1-2  09:05PM  7 tiny", 'f', "tiny", "7", "1-1-2 09:05 PM"},
        // no name
        {ftpstMSFTP, "01-16-02  11:14AM       <DIR>", 0},
        {ftpstMSFTP, "01-16-02  11:14AM       <DIR>          ", 0},
        {ftpstMSFTP, "0", 0},
        {ftpstMSFTP, "226 Transfer complete", 0},
    };
    for (const TLineCase &c : cases)
        ExpectLine(Parser, c);
}

TEST_F(OtherListings, Vms)
{
    const TLineCase cases[] = {
        {ftpstVmsMultinet, "CMU-IP.DIR;1              2/3          17-JUN-1994 11:01:23  [OWNER]  (RWE,RWE,RE,RE)",
         'd', "CMU-IP", "2/3", "1/1/80 12:00"},
        {ftpstVmsMultinet, "INDEX.TXT;12  4  17-JUN-1994 14:38:08  [SYSTEM]  (RWED,RWED,RE,RE)", 'f', "INDEX.TXT",
         "4", "1/1/80 12:00"},
        {ftpstVmsUcx, "ANONYMOUS.DIR;1   1/3   9-JUN-1999 12:09:35 [ANONYMOUS] (RWE,RWE,,)", 'd', "ANONYMOUS",
         "1/3", "1/1/80 12:00"},
        {ftpstVmsUcx, "cmu-ip.dir;1 2/3 17-JUN-1994 11:01:23 [OWNER] (RWE,RWE,RE,RE)", 'd', "cmu-ip", "2/3",
         "1/1/80 12:00"},
        // only the type .DIR makes a folder
        {ftpstVmsUcx, "FOO.DIRT;1 1/3 17-JUN-1994 11:01:23 [OWNER] (RWE,RWE,RE,RE)", 'f', "FOO.DIRT", "1/3",
         "1/1/80 12:00"},
        {ftpstVmsUcx, "   INDENTED.TXT;1 4 17-JUN-1994 14:38:08 [SYSTEM] (RWED,RWED,RE,RE)   ", 'f', "INDENTED.TXT",
         "4", "1/1/80 12:00"},
        // two date tokens never hold month, day and year
        {ftpstVmsUcx, "NEW.TXT;1 4 Jan 16 [SYSTEM] (RWED,RWED,RE,RE)", 'f', "NEW.TXT", "4", "1/1/80 12:00"},
        {ftpstVmsMultinet, "Directory DSA0:[ANONYMOUS]", 0},
        {ftpstVmsMultinet, "Total of 12 files, 1234/2345 blocks.", 0},
        {ftpstVmsMultinet, "   ", 0},
        {ftpstVmsMultinet, "drwxr-xr-x 2 user group 512 Jan 16 11:14 pub", 0},
        // ";" outside the first token: no name
        {ftpstVmsMultinet, "NAME 1/2 3;4 x", 0},
    };
    for (const TLineCase &c : cases)
        ExpectLine(Parser, c);
}

TEST_F(OtherListings, VmsNameAloneOnItsLine)
{
    ExpectLine(Parser, {ftpstVmsMultinet, "A_VERY_LONG_FILE_NAME.TXT;1", 0});
    EXPECT_TRUE(Parser.HasPendingName());
    ExpectLine(Parser, {ftpstVmsMultinet, "        9/18  17-JUN-1994 14:38:08  [OWNER]  (RWED,RWED,RE,)", 'f',
                        "A_VERY_LONG_FILE_NAME.TXT", "9/18", "1/1/80 12:00"});
    EXPECT_FALSE(Parser.HasPendingName());

    // details that do not start with a space still join the name
    ExpectLine(Parser, {ftpstVmsUcx, "A_VERY_LONG_DIRECTORY_NAME.DIR;1", 0});
    ExpectLine(Parser, {ftpstVmsUcx, "1/3  17-JUN-1994 14:38:08  [OWNER]  (RWE,RWE,RE,)", 'd',
                        "A_VERY_LONG_DIRECTORY_NAME", "1/3", "1/1/80 12:00"});

    // a second lone name replaces a first one that never got its details
    ExpectLine(Parser, {ftpstVmsUcx, "FIRST.TXT;1", 0});
    ExpectLine(Parser, {ftpstVmsUcx, "SECOND.TXT;1", 0});
    ExpectLine(Parser, {ftpstVmsUcx, "  4/6  17-JUN-1994 14:38:08  [OWNER]  (RWED,RWED,RE,)", 'f', "SECOND.TXT",
                        "4/6", "1/1/80 12:00"});

    // the pending name is used by the very next VMS line, whatever it is
    ExpectLine(Parser, {ftpstVmsUcx, "LONELY.TXT;1", 0});
    ExpectLine(Parser, {ftpstVmsUcx, "Total of 1 file, 4/6 blocks.", 'f', "LONELY.TXT", "Total",
                        "1/1/80 12:00"});
    EXPECT_FALSE(Parser.HasPendingName());

    // a listing that ends after a lone name
    ExpectLine(Parser, {ftpstVmsUcx, "LAST.TXT;1", 0});
    EXPECT_TRUE(Parser.HasPendingName());
    Parser.Reset();
    EXPECT_FALSE(Parser.HasPendingName());
    ExpectLine(Parser, {ftpstVmsUcx, "        9/18  17-JUN-1994 14:38:08  [OWNER]  (RWED,RWED,RE,)", 0});
}

TEST_F(OtherListings, Vm)
{
    const TLineCase cases[] = {
        {ftpstVM, "PROFILE  EXEC     V         71          5          1  2/15/96 14:12:09 SYS001", 'f',
         "PROFILE.EXEC", "71", "1/1/80 12:00"},
        {ftpstVM, "README   TXT      F   80  1 Jan 16 11:14 USER", 'f', "README.TXT", "80", "1/1/80 12:00"},
        {ftpstVM, "DATA     FILE     F   80  3  2  Jan 16 x", 'f', "DATA.FILE", "80", "1/1/80 12:00"},
        {ftpstVM, "LINKED   EXEC     V  71  5  1  2/15/96 14:12:09 -> /pub", 'd', "LINKED.EXEC", "71",
         "1/1/80 12:00", "", "", "", "-> /pub"},
        {ftpstVM, "LONE", 0},
        {ftpstVM, "ONE TWO", 0},
        {ftpstVM, "", 0},
    };
    for (const TLineCase &c : cases)
        ExpectLine(Parser, c);
}

TEST_F(OtherListings, VmVps)
{
    const TLineCase cases[] = {
        {ftpstVMVPS, "MYFILE   DATA     1234  F  80  A1  01/16/02  11:14:05  x", 'f', "MYFILE.DATA", "1234",
         "1/1/80 12:00"},
        {ftpstVMVPS, "ACCT     LIST     88    V  255 A1  16  Jan  x", 'f', "ACCT.LIST", "88", "1/1/80 12:00"},
        {ftpstVMVPS, "ACCT     LIST     88    V  255 A1  16 11:14  Jan  x", 'f', "ACCT.LIST", "88",
         "1/1/80 12:00"},
        {ftpstVMVPS, "FILES    totals: 12", 0},
        {ftpstVMVPS, "DSN=USER.DATA", 0},
        {ftpstVMVPS, "A B 1 rf trks 3", 0},
        {ftpstVMVPS, "A B 1 track limit 3", 0},
        {ftpstVMVPS, "A", 0},
    };
    for (const TLineCase &c : cases)
        ExpectLine(Parser, c);
}

TEST(AddListingLine, FoldersAndFilesGoToTheirListsDotFoldersAreDropped)
{
    const TFixedCalendar calendar(2024, 3);
    TListingParser parser;
    TMFtpFileInfoList folders;
    TMFtpFileInfoList files;
    const char *lines[] = {
        "total 24",
        "drwxr-xr-x   3 ftp ftp 512 Jan 10  2020 .",
        "drwxr-xr-x   3 ftp ftp 512 Jan 10  2020 ..",
        "drwxr-xr-x   2 ftp ftp 512 Jan 16 11:14 pub",
        "-rw-r--r--   1 ftp ftp 5368709120 Feb 29  2024 big.iso",
        "lrwxrwxrwx   1 ftp ftp 10 Jan 16 11:14 README -> readme.txt",
        "lrwxrwxrwx   1 ftp ftp 4 Jan 16 11:14 up -> ..",
    };
    const TListingLineResult expected[] = {llRejected, llDotFolder, llDotFolder, llFolder, llFile, llFile, llFolder};
    for (size_t i = 0; i < std::size(lines); ++i)
        EXPECT_EQ(parser.AddListingLine(ftpstUNIX, lines[i], folders, files), expected[i]) << lines[i];
    ASSERT_EQ(folders.Count(), 2);
    ASSERT_EQ(files.Count(), 2);
    EXPECT_EQ(folders.FileName(0), "pub");
    EXPECT_EQ(folders.FileName(1), "up");
    EXPECT_EQ(folders.Field(fiLinkTo, 1), "-> ..");
    const MFtpFileInfo big = files.GetInfo(0);
    EXPECT_EQ(big.FileName, "big.iso");
    EXPECT_EQ(big.FileSize, "5368709120");
    EXPECT_EQ(big.ModifiedDate, "2024-02-29 12:00");
    EXPECT_EQ(big.Attributes, "-rw-r--r--");
    EXPECT_EQ(big.Owner, "ftp");
    EXPECT_EQ(big.Group, "ftp");
    EXPECT_EQ(files.GetInfo(1).LinkTo, "-> readme.txt");
}

TEST(ParseListingLine, OutputsOfAnEarlierLineDoNotLeakIntoTheNext)
{
    TListingParser parser;
    QByteArray name, size, date, link, attributes, owner, group;
    bool isFolder = true;
    ASSERT_TRUE(parser.ParseListingLine(ftpstUNIX, "lrwxrwxrwx 1 root root 7 Jan 16 11:14 bin -> usr/bin", name, size,
                                        date, link, attributes, owner, group, isFolder));
    ASSERT_TRUE(parser.ParseListingLine(ftpstUNIX, "01-16-02  09:05PM                 1024 my report.doc", name,
                                        size, date, link, attributes, owner, group, isFolder));
    EXPECT_EQ(name, "my report.doc");
    EXPECT_FALSE(isFolder);
    EXPECT_TRUE(link.isEmpty());
    EXPECT_TRUE(attributes.isEmpty());
    EXPECT_TRUE(owner.isEmpty());
    EXPECT_TRUE(group.isEmpty());
    EXPECT_FALSE(parser.ParseListingLine(ftpstUNIX, "total 1", name, size, date, link, attributes, owner, group,
                                         isFolder));
    EXPECT_TRUE(name.isEmpty());
}

} // namespace
