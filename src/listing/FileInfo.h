#pragma once
// Remote directory entries. Every text holds the bytes the server listed:
// names may be UTF-8 or GBK and are decoded only for display.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <utility>
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
enum TFileInfoField : int {
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

// The entries of one remote folder, read column by column: entry i is
// position i of every column (TFileInfoField). Names are not unique; lookups
// return the first match. Clear keeps the memory for the next listing.
class TMFtpFileInfoList
{
public:
    int Count() const { return int(Entries.Size()); }

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
    // A growing array of trivially copyable values; grows with realloc, so a
    // large listing is not copied each time it outgrows its memory.
    template <typename T>
    class TRawArray
    {
    public:
        TRawArray() = default;
        TRawArray(const TRawArray &Other) { *this = Other; }
        TRawArray(TRawArray &&Other) noexcept { Swap(Other); }
        TRawArray &operator=(const TRawArray &Other)
        {
            if (this != &Other) {
                Length = 0;
                Append(Other.Items, Other.Length);
            }
            return *this;
        }
        TRawArray &operator=(TRawArray &&Other) noexcept
        {
            Swap(Other);
            return *this;
        }
        ~TRawArray() { std::free(Items); }

        size_t Size() const { return Length; }
        const T *Data() const { return Items; }
        T &operator[](size_t Index) { return Items[Index]; }
        const T &operator[](size_t Index) const { return Items[Index]; }
        void Append(const T *Values, size_t Count)
        {
            if (Count == 0)
                return;
            if (Length + Count > Capacity)
                Grow(Length + Count);
            std::memcpy(Items + Length, Values, Count * sizeof(T));
            Length += Count;
        }
        void Clear() { Length = 0; }
        void Swap(TRawArray &Other) noexcept
        {
            std::swap(Items, Other.Items);
            std::swap(Length, Other.Length);
            std::swap(Capacity, Other.Capacity);
        }

    private:
        void Grow(size_t Needed)
        {
            const size_t capacity = Capacity * 2 > Needed ? Capacity * 2 : (Needed > 64 ? Needed : 64);
            void *grown = std::realloc(Items, capacity * sizeof(T));
            if (!grown)
                throw std::bad_alloc();
            Items = static_cast<T *>(grown);
            Capacity = capacity;
        }

        T *Items = nullptr;
        size_t Length = 0;
        size_t Capacity = 0;
    };

    // Where the texts of one entry lie: the eight columns back to back in
    // Bytes from Offset on, in column order; the date sort key in SortKeyBytes.
    // Exchanging two of these exchanges the entries in every column at once.
    struct TEntry {
        std::uint32_t Offset;
        std::uint32_t Lengths[fiColumnCount];
        std::uint32_t SortKeyOffset;
        std::uint32_t SortKeyLength;
    };

    void CheckIndex(int Index) const;
    QByteArrayView Text(const TEntry &Entry, int Column) const
    {
        std::uint32_t offset = Entry.Offset;
        for (int i = 0; i < Column; ++i)
            offset += Entry.Lengths[i];
        return QByteArrayView(Bytes.Data() + offset, Entry.Lengths[Column]);
    }
    QByteArrayView SortKeyText(const TEntry &Entry) const
    {
        return QByteArrayView(SortKeyBytes.Data() + Entry.SortKeyOffset, Entry.SortKeyLength);
    }
    void WriteDateSortKeys();
    void ApplyOrder(const std::vector<int> &Order);

    TRawArray<char> Bytes;
    TRawArray<char> SortKeyBytes;
    TRawArray<TEntry> Entries;
};
