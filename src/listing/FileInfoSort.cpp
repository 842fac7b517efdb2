#include "listing/FileInfo.h"

#include "listing/ListingDate.h"
#include "listing/ListingInternal.h"
#include "platform/Locale.h"
#include "platform/TextCodec.h"

#include <QCollatorSortKey>

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <vector>

namespace {

QString DecodeBytes(QByteArrayView Text)
{
    return platform::decodeRemoteName(QByteArray::fromRawData(Text.data(), Text.size()));
}

QString ExtensionTypeName(QByteArrayView FileName)
{
    const qsizetype dot = FileName.lastIndexOf('.');
    return dot < 0 ? QString() : DecodeBytes(FileName.sliced(dot + 1));
}

int CompareBytes(QByteArrayView A, QByteArrayView B)
{
    const int c = std::memcmp(A.data(), B.data(), size_t(qMin(A.size(), B.size())));
    if (c != 0)
        return c < 0 ? -1 : 1;
    return A.size() < B.size() ? -1 : A.size() > B.size() ? 1 : 0;
}

// A size sorts by the number its leading decimal digits spell (0 without any,
// saturating far beyond any real size); equal numbers sort by their bytes.
struct TSizeKeys {
    std::vector<quint64> Values;
    std::vector<QByteArrayView> Texts;

    void Add(QByteArrayView Text)
    {
        quint64 value = 0;
        for (char c : Text) {
            if (!listing_detail::IsDigit(c))
                break;
            const unsigned digit = unsigned(c - '0');
            if (value > (std::numeric_limits<quint64>::max() - digit) / 10)
                value = std::numeric_limits<quint64>::max();
            else
                value = value * 10 + digit;
        }
        Values.push_back(value);
        Texts.push_back(Text);
    }

    int operator()(int A, int B) const
    {
        if (Texts[A] == Texts[B])
            return 0;
        if (Values[A] != Values[B])
            return Values[A] < Values[B] ? -1 : 1;
        return CompareBytes(Texts[A], Texts[B]);
    }
};

// Texts in the user's collation ignoring case; identical bytes are equal and
// an empty text comes first.
struct TTextKeys {
    std::vector<QByteArray> Exact;
    std::vector<QCollatorSortKey> Keys;

    void Add(QByteArrayView Bytes, const QString &Text)
    {
        Exact.push_back(QByteArray::fromRawData(Bytes.data(), Bytes.size()));
        Keys.push_back(platform::localeSortKey(Text));
    }

    int operator()(int A, int B) const
    {
        const QByteArray &a = Exact[size_t(A)];
        const QByteArray &b = Exact[size_t(B)];
        if (a == b)
            return 0;
        if (a.isEmpty() || b.isEmpty())
            return a.isEmpty() ? -1 : 1;
        const int c = Keys[size_t(A)].compare(Keys[size_t(B)]);
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
};

// The quicksort over positions L..R: the pivot is the key in the middle,
// I runs up while key(I) < pivot, J down while key(J) > pivot, and crossing
// pairs swap. Order[p] is the entry at position p. The smaller part is sorted
// first so the stack stays shallow; a range that keeps splitting badly (a
// listing built against this pivot choice) is finished by heapsort.
template <typename Compare>
class TQuickSort
{
public:
    TQuickSort(std::vector<int> &Positions, const Compare &Comparison, bool Ascending)
        : Order(Positions), Cmp(Comparison), Sign(Ascending ? 1 : -1)
    {
    }

    void Run()
    {
        const int n = int(Order.size());
        Sort(0, n - 1, 2 * std::bit_width(unsigned(n)) + 8);
    }

private:
    int Compare3(int EntryA, int EntryB) const { return Sign * Cmp(EntryA, EntryB); }

    void Sort(int L, int R, int DepthLeft)
    {
        while (L < R) {
            if (DepthLeft-- == 0) {
                HeapSort(L, R);
                return;
            }
            int i = L;
            int j = R;
            const int pivot = Order[size_t(L + (R - L) / 2)];
            do {
                while (Compare3(Order[size_t(i)], pivot) < 0)
                    ++i;
                while (Compare3(Order[size_t(j)], pivot) > 0)
                    --j;
                if (i <= j) {
                    std::swap(Order[size_t(i)], Order[size_t(j)]);
                    ++i;
                    --j;
                }
            } while (i <= j);
            if (j - L < R - i) {
                Sort(L, j, DepthLeft);
                L = i;
            } else {
                Sort(i, R, DepthLeft);
                R = j;
            }
        }
    }

    void HeapSort(int L, int R)
    {
        auto less = [this](int a, int b) { return Compare3(a, b) < 0; };
        std::make_heap(Order.begin() + L, Order.begin() + R + 1, less);
        std::sort_heap(Order.begin() + L, Order.begin() + R + 1, less);
    }

    std::vector<int> &Order;
    const Compare &Cmp;
    const int Sign;
};

template <typename Compare>
std::vector<int> SortedOrder(int Count, const Compare &Cmp, bool Ascending)
{
    std::vector<int> order(static_cast<size_t>(Count));
    for (int i = 0; i < Count; ++i)
        order[size_t(i)] = i;
    TQuickSort<Compare>(order, Cmp, Ascending).Run();
    return order;
}

} // namespace

void TMFtpFileInfoList::WriteDateSortKeys()
{
    SortKeyBytes.Clear();
    QByteArray key;
    for (size_t i = 0; i < Entries.Size(); ++i) {
        TEntry &entry = Entries[i];
        listing_detail::MakeDateSortKeyInto(Text(entry, fiModifiedDate), key);
        if (quint64(SortKeyBytes.Size()) + quint64(key.size()) > std::numeric_limits<std::uint32_t>::max())
            throw std::length_error("listing too large");
        entry.SortKeyOffset = std::uint32_t(SortKeyBytes.Size());
        entry.SortKeyLength = std::uint32_t(key.size());
        SortKeyBytes.Append(key.constData(), size_t(key.size()));
    }
}

void TMFtpFileInfoList::ApplyOrder(const std::vector<int> &Order)
{
    TRawArray<TEntry> sorted;
    for (int index : Order)
        sorted.Append(&Entries[size_t(index)], 1);
    Entries.Swap(sorted);
}

void TMFtpFileInfoList::Sort(TFileInfoField Field, bool Ascending, const TTypeNameFunction &TypeName)
{
    const int count = Count();
    if (count <= 1 || Field == fiLinkTo || Field < 0 || Field > fiTypeName)
        return;

    if (Field == fiFileSize) {
        TSizeKeys keys;
        keys.Values.reserve(size_t(count));
        keys.Texts.reserve(size_t(count));
        for (size_t i = 0; i < Entries.Size(); ++i)
            keys.Add(Text(Entries[i], fiFileSize));
        ApplyOrder(SortedOrder(count, keys, Ascending));
        return;
    }

    TTextKeys keys;
    keys.Exact.reserve(size_t(count));
    keys.Keys.reserve(size_t(count));
    std::vector<QByteArray> typeNames;
    if (Field == fiTypeName) {
        typeNames.reserve(size_t(count));
        for (size_t i = 0; i < Entries.Size(); ++i) {
            const QByteArrayView name = Text(Entries[i], fiFileName);
            const QString type = TypeName ? TypeName(name) : ExtensionTypeName(name);
            typeNames.push_back(type.toUtf8());
            keys.Add(typeNames.back(), type);
        }
    } else {
        if (Field == fiModifiedDate)
            WriteDateSortKeys();
        for (size_t i = 0; i < Entries.Size(); ++i) {
            const QByteArrayView text =
                Field == fiModifiedDate ? SortKeyText(Entries[i]) : Text(Entries[i], Field);
            keys.Add(text, DecodeBytes(text));
        }
    }
    ApplyOrder(SortedOrder(count, keys, Ascending));
}
