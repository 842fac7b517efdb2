// Lines no server should send, and good lines with whitespace thrown in: the
// parser must answer every one, and an entry it returns must have a name.

#include "ListingTestSupport.h"

#include <random>
#include <vector>

namespace {

constexpr TMFtpServerType AllTypes[] = {
    ftpstAutoDetect, ftpstDefault, ftpstUNIX,        ftpstBSD,    ftpstSunOS,   ftpstClix,    ftpstULTRIX,
    ftpstMVS,        ftpstQVT,     ftpstNCSA,        ftpstWFTPD,  ftpstMSFTP,   ftpstChameleon, ftpstVmsMultinet,
    ftpstVmsUcx,     ftpstVM,      ftpstVMVPS,       ftpstNetTerm, ftpstServU,  ftpstWarFTPD, ftpstNetware,
    ftpstNetPresenz,
};
static_assert(std::size(AllTypes) == ftpstCount);

const std::vector<QByteArray> &GoodLines()
{
    static const std::vector<QByteArray> lines = {
        "drwxr-xr-x   2 user     group        512 Jan 16 11:14 pub",
        "-rw-r--r--   1 user     group     1024 Mar  3  1999 my file.txt",
        "lrwxrwxrwx   1 root     root           7 Jan 16 11:14 bin -> usr/bin",
        "d [RWCEAFMS] owner 512 Jan 16 11:14 pub",
        "drwxrwxr-x               folder        2 May 10  1996 network",
        "-------r--         326  1391972  1392298 Nov 22  1995 MegaPhone.sit",
        "+i8388621.48594,m825718503,r,s280,\tdjb.html",
        "01-16-02  11:14AM       <DIR>          epsgroup",
        "01-16-02  09:05PM                 1024 my report.doc",
        "CMU-IP.DIR;1              2/3          17-JUN-1994 11:01:23  [OWNER]  (RWE,RWE,RE,RE)",
        "A_VERY_LONG_FILE_NAME.TXT;1",
        "        9/18  17-JUN-1994 14:38:08  [OWNER]  (RWED,RWED,RE,)",
        "PROFILE  EXEC     V         71          5          1  2/15/96 14:12:09 SYS001",
        "MYFILE   DATA     1234  F  80  A1  01/16/02  11:14:05  x",
    };
    return lines;
}

std::vector<QByteArray> HostileLines()
{
    std::vector<QByteArray> lines = {
        "",
        " ",
        "          ",
        "+",
        "+,",
        "+,,,,,,,,",
        "+m,s,i,/,r,",
        "+m-99999999999999999999999999,\t",
        "-",
        "d",
        "l",
        "f",
        "0",
        "9 ",
        "l ->",
        "->",
        "-> -> -> ->",
        "- - - - - - - - - - - - - -",
        "d  ",
        "0 0 0",
        "01-16-02",
        "01-16-02  11:14AM",
        ";",
        " ;",
        "; ;",
        "=",
        "Jan 16 11:14",
        "total 0",
        QByteArray("-\0\0\0 \0 \0 \0 \0 \0 \0 \0 \0", 20),
        "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0b\x0c\x0e\x0f\x10\x7f",
        "-rw-r--r-- 1 u g 5 \x01\x02\x03 \x04 \x05 \x06",
        "drwxr-xr-x 2 u g 5 Jan 16 11:14 \t\r\n\x1b[2J",
        "\xff\xfe\xfd\xfc",
        "-rw-r--r-- 1 u g 5 Jan 16 11:14 \xff\xfe",
        QByteArray(10000, 'a'),
        QByteArray(10000, ' '),
        QByteArray(10000, '-'),
        QByteArray(10000, ';'),
        QByteArray(10000, ','),
        "+" + QByteArray(10000, ','),
        "d" + QByteArray(10000, ' '),
        "-rw-r--r-- 1 u g 5 Jan 16 11:14 " + QByteArray(10000, 'n'),
        "01-16-02  09:05PM  " + QByteArray(10000, '9') + " x",
        QByteArray(10000, 'X') + ";1",
        "lrwxrwxrwx 1 u g 5 Jan 16 11:14 x -> " + QByteArray(10000, '>'),
    };
    QByteArray repeated;
    for (int i = 0; i < 2000; ++i)
        repeated += "- ";
    lines.push_back(repeated);
    return lines;
}

void ExpectSane(TListingParser &Parser, TMFtpServerType Type, const QByteArray &Line)
{
    MFtpFileInfo info;
    bool isFolder = false;
    if (Parser.ParseListingLine(Type, Line, info, isFolder)) {
        EXPECT_FALSE(info.FileName.isEmpty()) << "type " << Type << ": " << Line.left(80).toStdString();
        EXPECT_FALSE(info.ModifiedDate.isEmpty()) << "type " << Type << ": " << Line.left(80).toStdString();
    }
}

TEST(HostileLines, EveryTypeAnswersEveryLine)
{
    const TFixedCalendar calendar(2024, 3);
    for (TMFtpServerType type : AllTypes) {
        TListingParser parser;
        for (const QByteArray &line : HostileLines())
            ExpectSane(parser, type, line);
        for (const QByteArray &line : GoodLines())
            ExpectSane(parser, type, line);
    }
}

TEST(HostileLines, VmsNameFollowedByNothing)
{
    TListingParser parser;
    MFtpFileInfo info;
    bool isFolder = false;
    EXPECT_FALSE(parser.ParseListingLine(ftpstVmsMultinet, "A_VERY_LONG_FILE_NAME.TXT;1", info, isFolder));
    EXPECT_FALSE(parser.ParseListingLine(ftpstVmsMultinet, "", info, isFolder));
    EXPECT_TRUE(parser.HasPendingName());
    // a parser for the next listing starts clean
    TListingParser next;
    EXPECT_FALSE(next.ParseListingLine(ftpstVmsMultinet, "        9/18  17-JUN-1994 14:38:08  [OWNER]", info,
                                       isFolder));
}

TEST(HostileLines, RandomWhitespaceInGoodLines)
{
    const TFixedCalendar calendar(2024, 3);
    std::mt19937 random(20240316);
    const char blanks[] = {' ', ' ', ' ', '\t', '\r', '\0'};
    for (TMFtpServerType type : AllTypes) {
        TListingParser parser;
        for (const QByteArray &good : GoodLines()) {
            for (int round = 0; round < 40; ++round) {
                QByteArray line = good;
                const int insertions = 1 + int(random() % 6);
                for (int k = 0; k < insertions; ++k) {
                    const qsizetype at = qsizetype(random() % quint32(line.size() + 1));
                    line.insert(at, QByteArray(1 + int(random() % 4), blanks[random() % std::size(blanks)]));
                }
                ExpectSane(parser, type, line);
            }
        }
    }
}

TEST(HostileLines, RandomBytes)
{
    const TFixedCalendar calendar(2024, 3);
    std::mt19937 random(99);
    const char alphabet[] = " -dlf+0123456789;:,/<>=JanDecMAR[]\t\r\x01\xd6\xd0";
    for (TMFtpServerType type : AllTypes) {
        TListingParser parser;
        for (int round = 0; round < 300; ++round) {
            QByteArray line;
            const int length = int(random() % 90);
            for (int i = 0; i < length; ++i)
                line.append(alphabet[random() % (sizeof alphabet - 1)]);
            ExpectSane(parser, type, line);
        }
    }
}

TEST(HostileLines, WholeListingThroughTheEngineLists)
{
    const TFixedCalendar calendar(2024, 3);
    TListingParser parser;
    TMFtpFileInfoList folders;
    TMFtpFileInfoList files;
    for (const QByteArray &line : HostileLines())
        parser.AddListingLine(ftpstUNIX, line, folders, files);
    for (const QByteArray &line : GoodLines())
        parser.AddListingLine(ftpstUNIX, line, folders, files);
    for (const TMFtpFileInfoList *list : {&folders, &files})
        for (int i = 0; i < list->Count(); ++i)
            EXPECT_FALSE(list->FileName(i).isEmpty());
    for (TFileInfoField field : {fiFileName, fiFileSize, fiModifiedDate, fiAttributes, fiTypeName}) {
        files.Sort(field, true);
        folders.Sort(field, false);
    }
    EXPECT_GT(files.Count(), 3);
    EXPECT_GT(folders.Count(), 3);
}

} // namespace
