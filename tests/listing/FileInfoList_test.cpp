#include "listing/FileInfo.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <vector>

namespace {

MFtpFileInfo Entry(const QByteArray &Name, const QByteArray &Size = "0", const QByteArray &Date = "1/1/80 12:00")
{
    MFtpFileInfo info;
    info.FileName = Name;
    info.FileSize = Size;
    info.ModifiedDate = Date;
    info.Attributes = "-rw-r--r--";
    info.Owner = "owner-of-" + Name;
    info.Group = "group";
    return info;
}

std::vector<QByteArray> Column(const TMFtpFileInfoList &List, TFileInfoField Field)
{
    std::vector<QByteArray> out;
    for (int i = 0; i < List.Count(); ++i)
        out.push_back(List.Field(Field, i).toByteArray());
    return out;
}

using Texts = std::vector<QByteArray>;

TMFtpFileInfoList ListOfSizes(const Texts &Sizes)
{
    TMFtpFileInfoList list;
    for (const QByteArray &size : Sizes)
        list.AddInfo(Entry("name-" + size, size));
    return list;
}

TEST(FileInfoList, AddKeepsEveryFieldOfEveryEntry)
{
    TMFtpFileInfoList list;
    EXPECT_EQ(list.Count(), 0);
    list.Add("name", "attrs", "date", "size", "-> link", "owner", "group", "description");
    MFtpFileInfo binary;
    binary.FileName = QByteArray("nul\0inside", 10);
    binary.LinkTo = "";
    list.AddInfo(binary);
    ASSERT_EQ(list.Count(), 2);

    const MFtpFileInfo first = list.GetInfo(0);
    EXPECT_EQ(first.FileName, "name");
    EXPECT_EQ(first.Attributes, "attrs");
    EXPECT_EQ(first.ModifiedDate, "date");
    EXPECT_EQ(first.FileSize, "size");
    EXPECT_EQ(first.LinkTo, "-> link");
    EXPECT_EQ(first.Owner, "owner");
    EXPECT_EQ(first.Group, "group");
    EXPECT_EQ(first.Description, "description");
    EXPECT_EQ(list.GetInfo(1), binary);
    EXPECT_EQ(list.SortKey(0), "");
}

TEST(FileInfoList, BadIndexesThrow)
{
    TMFtpFileInfoList list;
    EXPECT_THROW(list.GetInfo(0), std::out_of_range);
    list.AddInfo(Entry("a"));
    EXPECT_THROW(list.GetInfo(1), std::out_of_range);
    EXPECT_THROW(list.GetInfo(-1), std::out_of_range);
    EXPECT_THROW(list.Exchange(0, 1), std::out_of_range);
    EXPECT_THROW(list.Field(fiTypeName, 0), std::out_of_range);
    EXPECT_NO_THROW(list.Exchange(0, 0));
}

TEST(FileInfoList, AssignCopiesAndTheCopiesStayIndependent)
{
    TMFtpFileInfoList source;
    source.AddInfo(Entry("a", "1"));
    source.AddInfo(Entry("b", "2"));
    TMFtpFileInfoList copy;
    copy.AddInfo(Entry("old"));
    copy.Assign(source);
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.GetInfo(1), source.GetInfo(1));

    copy.Exchange(0, 1);
    copy.AddInfo(Entry("c"));
    EXPECT_EQ(source.Count(), 2);
    EXPECT_EQ(source.FileName(0), "a");
    EXPECT_EQ(copy.FileName(0), "b");

    copy.Assign(copy);
    EXPECT_EQ(copy.Count(), 3);
    copy.Clear();
    EXPECT_EQ(copy.Count(), 0);
    EXPECT_THROW(copy.GetInfo(0), std::out_of_range);
    copy.AddInfo(Entry("fresh"));
    EXPECT_EQ(copy.FileName(0), "fresh");
}

TEST(FileInfoList, ExchangeSwapsWholeEntries)
{
    TMFtpFileInfoList list;
    list.AddInfo(Entry("a", "1", "d1"));
    list.AddInfo(Entry("b", "2", "d2"));
    const MFtpFileInfo a = list.GetInfo(0);
    const MFtpFileInfo b = list.GetInfo(1);
    list.Exchange(0, 1);
    EXPECT_EQ(list.GetInfo(0), b);
    EXPECT_EQ(list.GetInfo(1), a);
}

TEST(FileInfoList, IndexOfNameIgnoresCaseAndFindsTheFirst)
{
    TMFtpFileInfoList list;
    for (const char *name : {"Readme.TXT", "readme.txt", "\xC3\x84rger", "\x81\x41", "other"})
        list.AddInfo(Entry(name));
    EXPECT_EQ(list.IndexOfName("README.txt"), 0);
    EXPECT_EQ(list.IndexOfName("readme.txt"), 0);
    EXPECT_EQ(list.IndexOfName("\xC3\xA4RGER"), 2); // UTF-8 Ä and ä
    EXPECT_EQ(list.IndexOfName("\x81\x41"), 3);
    // in GBK the second byte of a character may be an ASCII letter: 0x81 0x61
    // is another character than 0x81 0x41, not the same one in lower case
    EXPECT_EQ(list.IndexOfName("\x81\x61"), -1);
    EXPECT_EQ(list.IndexOfName("missing"), -1);
    EXPECT_EQ(list.IndexOfName(""), -1);
}

TEST(FileInfoListSort, SizesAsNumbers)
{
    TMFtpFileInfoList list = ListOfSizes({"10", "9", "100"});
    list.Sort(fiFileSize, true);
    EXPECT_EQ(Column(list, fiFileSize), (Texts{"9", "10", "100"}));
}

TEST(FileInfoListSort, SizesBeyond32Bits)
{
    const Texts sizes{"5368709120", "4294967296", "100", "4294967295", "2147483648", "2147483647", "0",
                      "10737418240", "18446744073709551615"};
    TMFtpFileInfoList list = ListOfSizes(sizes);
    list.Sort(fiFileSize, true);
    const Texts ascending{"0", "100", "2147483647", "2147483648", "4294967295", "4294967296", "5368709120",
                          "10737418240", "18446744073709551615"};
    EXPECT_EQ(Column(list, fiFileSize), ascending);
    list.Sort(fiFileSize, false);
    EXPECT_EQ(Column(list, fiFileSize), Texts(ascending.rbegin(), ascending.rend()));
    // every row moved as a whole
    for (int i = 0; i < list.Count(); ++i)
        EXPECT_EQ(list.FileName(i), "name-" + list.FileSize(i).toByteArray());
}

TEST(FileInfoListSort, SizesThatAreNotDecimalSortByTheirLeadingNumber)
{
    // VMS lists used/allocated blocks; a text without digits counts as 0,
    // equal numbers sort by their bytes.
    TMFtpFileInfoList list = ListOfSizes({"10/20", "9/18", "abc", "", "2", "9", "99999999999999999999999", "010"});
    list.Sort(fiFileSize, true);
    EXPECT_EQ(Column(list, fiFileSize),
              (Texts{"", "abc", "2", "9", "9/18", "010", "10/20", "99999999999999999999999"}));
    list.Sort(fiFileSize, false);
    EXPECT_EQ(Column(list, fiFileSize),
              (Texts{"99999999999999999999999", "10/20", "010", "9/18", "9", "2", "abc", ""}));
}

TEST(FileInfoListSort, NamesIgnoreCase)
{
    TMFtpFileInfoList list;
    for (const char *name : {"b", "A", "a"})
        list.AddInfo(Entry(name));
    list.Sort(fiFileName, true);
    EXPECT_EQ(list.FileName(2), "b");
    EXPECT_TRUE((list.FileName(0) == "A" && list.FileName(1) == "a")
                || (list.FileName(0) == "a" && list.FileName(1) == "A"));
    list.Sort(fiFileName, false);
    EXPECT_EQ(list.FileName(0), "b");
}

TEST(FileInfoListSort, EmptyTextsComeFirst)
{
    TMFtpFileInfoList list;
    list.Add("z", "", "", "", "", "carol", "", "");
    list.Add("y", "", "", "", "", "", "", "");
    list.Add("x", "", "", "", "", "Bob", "", "");
    list.Add("w", "", "", "", "", "alice", "", "");
    list.Sort(fiOwner, true);
    EXPECT_EQ(Column(list, fiOwner), (Texts{"", "alice", "Bob", "carol"}));
}

TEST(FileInfoListSort, DatesOfEveryForm)
{
    TMFtpFileInfoList list;
    for (const char *date : {"2024-01-16 11:14", "1999-03-03 12:00", "1/1/80 12:00", "2023-12-05 10:30"})
        list.AddInfo(Entry("n", "0", date));
    list.Sort(fiModifiedDate, true);
    EXPECT_EQ(Column(list, fiModifiedDate),
              (Texts{"1/1/80 12:00", "1999-03-03 12:00", "2023-12-05 10:30", "2024-01-16 11:14"}));
    EXPECT_EQ(list.SortKey(0), "198001011212:00");
    EXPECT_EQ(list.SortKey(3), "2024-01-16 11:14");

    TMFtpFileInfoList dos;
    for (const char *date : {"01-16-02 11:14 AM", "01-16-02 01:14 PM", "12-31-99 11:59 PM", "01-16-02 12:05 AM",
                             "01-15-02 09:00 PM"})
        dos.AddInfo(Entry("n", "0", date));
    dos.Sort(fiModifiedDate, true);
    EXPECT_EQ(Column(dos, fiModifiedDate), (Texts{"12-31-99 11:59 PM", "01-15-02 09:00 PM", "01-16-02 12:05 AM",
                                                  "01-16-02 11:14 AM", "01-16-02 01:14 PM"}));
}

TEST(FileInfoListSort, TypeNames)
{
    TMFtpFileInfoList list;
    for (const char *name : {"a.zip", "b.TXT", "c", "d.doc"})
        list.AddInfo(Entry(name));
    list.Sort(fiTypeName, true);
    EXPECT_EQ(Column(list, fiFileName), (Texts{"c", "d.doc", "b.TXT", "a.zip"}));
    list.Sort(fiTypeName, true, [](QByteArrayView name) {
        return name.endsWith(".zip") ? QStringLiteral("Archive") : QStringLiteral("Zzz");
    });
    EXPECT_EQ(list.FileName(0), "a.zip");
}

TEST(FileInfoListSort, FieldsThatDoNotSort)
{
    TMFtpFileInfoList list;
    list.Add("b", "", "", "", "-> z", "", "", "");
    list.Add("a", "", "", "", "-> a", "", "", "");
    list.Sort(fiLinkTo, true);
    list.Sort(TFileInfoField(-1), true);
    list.Sort(TFileInfoField(9), true);
    EXPECT_EQ(Column(list, fiFileName), (Texts{"b", "a"}));
    TMFtpFileInfoList one;
    one.AddInfo(Entry("x"));
    one.Sort(fiFileName, true);
    EXPECT_EQ(one.FileName(0), "x");
    TMFtpFileInfoList none;
    none.Sort(fiFileName, true);
    EXPECT_EQ(none.Count(), 0);
}

// Large inputs in shapes that trouble quicksorts: every one must come out in order.
TEST(FileInfoListSort, SortsLargeAndAwkwardInputs)
{
    const int n = 20000;
    std::mt19937 random(7);
    std::vector<std::vector<quint64>> shapes(5);
    for (int i = 0; i < n; ++i) {
        shapes[0].push_back(quint64(i));                             // sorted
        shapes[1].push_back(quint64(n - i));                         // reversed
        shapes[2].push_back(42);                                     // all equal
        shapes[3].push_back(quint64(i < n / 2 ? i : n - i));         // organ pipe
        shapes[4].push_back(quint64(random() % 5) * 5000000000ULL); // few distinct, beyond 32 bits
    }
    for (const auto &shape : shapes) {
        TMFtpFileInfoList list;
        for (quint64 v : shape)
            list.Add("n" + QByteArray::number(v), "", "", QByteArray::number(v), "", "", "", "");
        for (bool ascending : {true, false}) {
            list.Sort(fiFileSize, ascending);
            for (int i = 1; i < list.Count(); ++i) {
                const quint64 prev = list.FileSize(i - 1).toULongLong();
                const quint64 cur = list.FileSize(i).toULongLong();
                ASSERT_TRUE(ascending ? prev <= cur : prev >= cur) << i;
                ASSERT_EQ(list.FileName(i), "n" + list.FileSize(i).toByteArray());
            }
        }
    }
}

} // namespace
