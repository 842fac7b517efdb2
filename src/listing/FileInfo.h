#pragma once
// Remote directory entries. Every text holds the bytes the server listed:
// names may be UTF-8 or GBK and are decoded only for display.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

struct MFtpFileInfo {
    QByteArray Attributes;
    QByteArray ModifiedDate;
    QByteArray Description;
    QByteArray FileName;
    QByteArray FileSize;
    QByteArray LinkTo;
    QByteArray Owner;
    QByteArray Group;

    bool operator==(const MFtpFileInfo &) const = default;
};

// Column of a TMFtpFileInfoList. fiTypeName has no column: Sort accepts it and
// sorts by the type name of each entry's FileName.
enum TFileInfoField {
    fiAttributes,
    fiModifiedDate,
    fiFileSize,
    fiLinkTo,
    fiDescription,
    fiFileName,
    fiOwner,
    fiGroup,
    fiTypeName,
};

constexpr int fiColumnCount = 8;

// Type name shown for a file name (what the views show in their Type column).
using TTypeNameFunction = std::function<QString(QByteArrayView FileName)>;

// The entries of one remote folder as parallel columns: entry i is position i
// of every column. Names are not unique; lookups return the first match.
// Copies share their storage until one of them changes.
class TMFtpFileInfoList
{
public:
    int Count() const { return FCount; }

    void Add(QByteArrayView FileName, QByteArrayView Attributes, QByteArrayView ModifiedDate,
             QByteArrayView FileSize, QByteArrayView LinkTo, QByteArrayView Owner, QByteArrayView Group,
             QByteArrayView Description);
    void AddInfo(const MFtpFileInfo &Info);
    // Throws std::out_of_range for an index outside 0..Count()-1.
    MFtpFileInfo GetInfo(int Index) const;
    void Assign(const TMFtpFileInfoList &Source);
    void Clear();
    // First entry whose FileName equals Name ignoring letter case; -1 if none.
    int IndexOfName(QByteArrayView Name) const;
    // Throws std::out_of_range for an index outside 0..Count()-1.
    void Exchange(int A, int B);

    // Sorts in place. Does nothing for fewer than two entries, for fiLinkTo and
    // for values outside the enumeration. Sizes compare by the number their
    // leading decimal digits spell (0 when there are none: VMS "9/18" counts
    // as 9, "" and "abc" as 0), equal numbers by their bytes, so any size text
    // sorts. Other columns compare in the user's collation ignoring case, an
    // empty text first. TypeName gives the type names for fiTypeName; without
    // it the type name is the extension of the name.
    void Sort(TFileInfoField Field, bool Ascending, const TTypeNameFunction &TypeName = {});

    // One text of entry Index; the view stays valid until the list changes.
    // Throws std::out_of_range for a bad index or field.
    QByteArrayView Field(TFileInfoField Field, int Index) const;
    QByteArrayView FileName(int Index) const { return Field(fiFileName, Index); }
    QByteArrayView FileSize(int Index) const { return Field(fiFileSize, Index); }
    // The key the last date sort wrote for entry Index (empty before any).
    QByteArrayView SortKey(int Index) const;

private:
    struct TSpan {
        std::uint32_t Offset = 0;
        std::uint32_t Length = 0;
    };
    // One column: all texts back to back in Bytes, entry i at Spans[i].
    struct TColumn {
        QByteArray Bytes;
        QList<TSpan> Spans;

        void Append(QByteArrayView Text);
        QByteArrayView At(int Index) const
        {
            const TSpan s = Spans.at(Index);
            return QByteArrayView(Bytes.constData() + s.Offset, s.Length);
        }
    };
    static constexpr int SortKeyColumn = fiColumnCount;

    void CheckIndex(int Index) const;
    void WriteDateSortKeys();
    void ApplyOrder(const std::vector<int> &Order);

    std::array<TColumn, fiColumnCount + 1> Columns;
    int FCount = 0;
};
