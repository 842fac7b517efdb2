#include "ListingTestSupport.h"

namespace {

// One MLSD line and the entry it must give; Kind 0: not an entry, '.': a
// dot folder the listing drops.
struct TMlsdCase {
    QByteArray Line;
    char Kind = 0;
    QByteArray Name = {};
    QByteArray Size = {};
    QByteArray Date = {};
    QByteArray Attributes = {};
    QByteArray Owner = {};
    QByteArray Group = {};
    QByteArray LinkTo = {};
};

class MlsdListing : public ::testing::Test
{
protected:
    void Expect(const TMlsdCase &Case)
    {
        SCOPED_TRACE(Case.Line.toStdString());
        MFtpFileInfo info;
        bool isFolder = false;
        const TMlsdKind kind = Parser.ParseMlsdLine(Case.Line, info, isFolder);
        TMFtpFileInfoList folders, files;
        const TListingLineResult added = Parser.AddMlsdLine(Case.Line, folders, files);
        switch (Case.Kind) {
        case 0:
            EXPECT_EQ(kind, mkNotAnEntry);
            EXPECT_EQ(added, llRejected);
            return;
        case '.':
            EXPECT_EQ(added, llDotFolder);
            EXPECT_EQ(folders.Count() + files.Count(), 0);
            return;
        default:
            break;
        }
        EXPECT_EQ(isFolder ? 'd' : 'f', Case.Kind);
        EXPECT_EQ(added, Case.Kind == 'd' ? llFolder : llFile);
        EXPECT_EQ(info.FileName, Case.Name);
        EXPECT_EQ(info.FileSize, Case.Size);
        EXPECT_EQ(info.ModifiedDate, Case.Date);
        EXPECT_EQ(info.Attributes, Case.Attributes);
        EXPECT_EQ(info.Owner, Case.Owner);
        EXPECT_EQ(info.Group, Case.Group);
        EXPECT_EQ(info.LinkTo, Case.LinkTo);
        EXPECT_TRUE(info.Description.isEmpty());
    }

    TListingParser Parser;
};

TEST_F(MlsdListing, Lines)
{
    const TMlsdCase cases[] = {
        // pyftpdlib: facts sorted by name, octal mode with "0o", numeric owners
        {"modify=20240116111400;perm=el;size=4096;type=dir;unique=803g2;unix.gid=1000;unix.mode=0o755;"
         "unix.uid=1000; pub",
         'd', "pub", "4096", "2024-01-16 11:14", "drwxr-xr-x", "1000", "1000"},
        // fractions of seconds, upper-case fact names, names of owners
        {"Type=file;Size=1024;Modify=20240303091559.987;UNIX.mode=0644;UNIX.owner=0;UNIX.ownername=ftp;"
         "UNIX.group=50;UNIX.groupname=ftp; my file.txt",
         'f', "my file.txt", "1024", "2024-03-03 09:15", "-rw-r--r--", "ftp", "ftp"},
        // a name with ";", "=" and runs of blanks, kept byte for byte
        {"type=file;size=1;modify=20240101000000; a;b=c  d ", 'f', "a;b=c  d ", "1", "2024-01-01 00:00"},
        // a name that begins with a blank
        {"type=file;size=2;  lead", 'f', " lead", "2", "1/1/80 12:00"},
        // GBK and UTF-8 bytes
        {"type=file;size=3; \xD6\xD0\xCE\xC4.txt", 'f', "\xD6\xD0\xCE\xC4.txt", "3", "1/1/80 12:00"},
        {"type=dir; \xE4\xB8\xAD\xE6\x96\x87", 'd', "\xE4\xB8\xAD\xE6\x96\x87", "", "1/1/80 12:00"},
        // links: "-> target" and the link rule
        {"type=OS.unix=slink:/srv/data;size=9;UNIX.mode=0777; data", 'd', "data", "9", "1/1/80 12:00",
         "lrwxrwxrwx", "", "", "-> /srv/data"},
        {"type=OS.unix=slink:readme.txt;size=10; README", 'f', "README", "10", "1/1/80 12:00", "", "", "",
         "-> readme.txt"},
        {"type=OS.UNIX=symlink; somewhere", 'd', "somewhere", "", "1/1/80 12:00", "", "", "", "->"},
        // special permission bits
        {"type=file;unix.mode=4755; suid", 'f', "suid", "", "1/1/80 12:00", "-rwsr-xr-x"},
        {"type=dir;unix.mode=1777; tmp", 'd', "tmp", "", "1/1/80 12:00", "drwxrwxrwt"},
        {"type=file;unix.mode=2644; sgid", 'f', "sgid", "", "1/1/80 12:00", "-rw-r-Sr--"},
        {"type=file;unix.mode=100640; full", 'f', "full", "", "1/1/80 12:00", "-rw-r-----"},
        {"type=file;unix.mode=0799; badmode", 'f', "badmode", "", "1/1/80 12:00", ""},
        // folder size fact, devices, types not known, no type at all
        {"type=dir;sizd=8192; big", 'd', "big", "8192", "1/1/80 12:00"},
        {"type=OS.unix=chr-13/29;size=0; tty", 'f', "tty", "0", "1/1/80 12:00"},
        {"type=weird; thing", 'f', "thing", "", "1/1/80 12:00"},
        {" bare name", 'f', "bare name", "", "1/1/80 12:00"},
        // a missing ";" before the blank
        {"type=file;size=5 five", 'f', "five", "5", "1/1/80 12:00"},
        // sizes that are no numbers are not shown
        {"type=file;size=12ab; x", 'f', "x", "", "1/1/80 12:00"},
        {"type=file;size=99999999999999999999; huge", 'f', "huge", "99999999999999999999", "1/1/80 12:00"},
        // times that are no times
        {"type=file;modify=2024; t1", 'f', "t1", "", "1/1/80 12:00"},
        {"type=file;modify=20241301000000; t2", 'f', "t2", "", "1/1/80 12:00"},
        {"type=file;modify=20240101246000; t3", 'f', "t3", "", "1/1/80 12:00"},
        {"type=file;modify=20240101000000.; t4", 'f', "t4", "", "2024-01-01 00:00"},
        {"type=file;modify=20240101000000x; t5", 'f', "t5", "", "1/1/80 12:00"},
        {"type=file;modify=20240229235960; t6", 'f', "t6", "", "2024-02-29 23:59"},
        // the folder itself, its parent, and dot names
        {"type=cdir;modify=20240101000000; /pub", '.'},
        {"type=pdir; ..", '.'},
        {"type=dir; .", '.'},
        {"type=dir; ..", '.'},
        {"type=file; .", 'f', ".", "", "1/1/80 12:00"},
        // not entries
        {""},
        {"type=file;size=1"},
        {"type=file;size=1 "},
        {" "},
    };
    for (const TMlsdCase &c : cases)
        Expect(c);
}

// The same folder listed by MLSD and by LIST fills the same lists, field by
// field. (Where LIST knows less - a year instead of a time for old files,
// owner names where MLSD gives numbers - the two differ by nature; the
// folder below avoids that.)
TEST_F(MlsdListing, SameFolderAsListGivesTheSameLists)
{
    const TFixedCalendar calendar(2024, 6);
    const std::pair<QByteArray, QByteArray> folder[] = {
        {"type=cdir;modify=20240601120000;UNIX.mode=0755; .", "drwxr-xr-x   5 ftp      ftp          4096 Jun  1 12:00 ."},
        {"type=pdir;modify=20240101120000;UNIX.mode=0755; ..", "drwxr-xr-x   3 ftp      ftp          4096 Jan  1 12:00 .."},
        {"type=dir;size=4096;modify=20240116111400;unix.mode=0o755;unix.uid=1000;unix.gid=1000; pub",
         "drwxr-xr-x   2 1000     1000         4096 Jan 16 11:14 pub"},
        {"type=file;size=1024;modify=20240303091500;UNIX.mode=0644;UNIX.owner=ftp;UNIX.group=ftp; my file.txt",
         "-rw-r--r--   1 ftp      ftp          1024 Mar  3 09:15 my file.txt"},
        {"type=file;size=0;modify=20240229235900;UNIX.mode=4755;UNIX.ownername=root;UNIX.groupname=wheel; run",
         "-rwsr-xr-x   1 root     wheel           0 Feb 29 23:59 run"},
        {"type=dir;size=4096;modify=20240531080000;UNIX.mode=1777;UNIX.owner=root;UNIX.group=root; tmp",
         "drwxrwxrwt   2 root     root         4096 May 31 08:00 tmp"},
        {"type=OS.unix=slink:/srv/data;size=9;modify=20240102030400;UNIX.mode=0777;UNIX.owner=root;UNIX.group=root; data",
         "lrwxrwxrwx   1 root     root            9 Jan  2 03:04 data -> /srv/data"},
        {"type=OS.unix=slink:docs/readme.txt;size=15;modify=20240102030400;UNIX.mode=0777;UNIX.owner=root;"
         "UNIX.group=root; README",
         "lrwxrwxrwx   1 root     root           15 Jan  2 03:04 README -> docs/readme.txt"},
        {"type=file;size=5368709120;modify=20240415000100;UNIX.mode=0600;UNIX.owner=1000;UNIX.group=100; big.iso",
         "-rw-------   1 1000     100      5368709120 Apr 15 00:01 big.iso"},
        {"type=file;size=7;modify=20240610101010;UNIX.mode=0644;UNIX.owner=u;UNIX.group=g; a;b  c.txt",
         "-rw-r--r--   1 u        g               7 Jun 10 10:10 a;b  c.txt"},
        {"type=file;size=3;modify=20240610101010;UNIX.mode=0644;UNIX.owner=u;UNIX.group=g; \xD6\xD0\xCE\xC4.txt",
         "-rw-r--r--   1 u        g               3 Jun 10 10:10 \xD6\xD0\xCE\xC4.txt"},
        {"type=dir;size=4096;modify=20240610101010;UNIX.mode=0750;UNIX.owner=u;UNIX.group=g; \xE4\xB8\xAD\xE6\x96\x87",
         "drwxr-x---   2 u        g            4096 Jun 10 10:10 \xE4\xB8\xAD\xE6\x96\x87"},
    };
    TMFtpFileInfoList mlsdFolders, mlsdFiles, listFolders, listFiles;
    TListingParser mlsdParser, listParser;
    for (const auto &[mlsd, list] : folder) {
        SCOPED_TRACE(mlsd.toStdString());
        EXPECT_EQ(mlsdParser.AddMlsdLine(mlsd, mlsdFolders, mlsdFiles),
                  listParser.AddListingLine(ftpstUNIX, list, listFolders, listFiles));
    }
    ASSERT_EQ(mlsdFolders.Count(), 4);
    ASSERT_EQ(mlsdFiles.Count(), 6);
    for (const auto &[mlsdList, listList] :
         {std::pair{&mlsdFolders, &listFolders}, std::pair{&mlsdFiles, &listFiles}}) {
        ASSERT_EQ(mlsdList->Count(), listList->Count());
        for (int i = 0; i < mlsdList->Count(); ++i) {
            SCOPED_TRACE(mlsdList->FileName(i).toByteArray().toStdString());
            for (int field = 0; field < fiColumnCount; ++field)
                EXPECT_EQ(mlsdList->Field(TFileInfoField(field), i), listList->Field(TFileInfoField(field), i))
                    << "field " << field;
        }
    }
}

} // namespace
