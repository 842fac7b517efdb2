#include "listing/FileInfo.h"

#include "platform/TextCodec.h"

#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

namespace {

constexpr quint64 MaxArenaSize = std::numeric_limits<std::uint32_t>::max();

} // namespace

void TMFtpFileInfoList::Add(QByteArrayView FileName, QByteArrayView Attributes, QByteArrayView ModifiedDate,
                            QByteArrayView FileSize, QByteArrayView LinkTo, QByteArrayView Owner,
                            QByteArrayView Group, QByteArrayView Description)
{
    // In column order: fiAttributes, fiModifiedDate, fiFileSize, fiLinkTo,
    // fiDescription, fiFileName, fiOwner, fiGroup.
    const QByteArrayView texts[fiColumnCount] = {Attributes, ModifiedDate, FileSize, LinkTo,
                                                 Description, FileName, Owner, Group};
    quint64 total = 0;
    for (QByteArrayView text : texts)
        total += quint64(text.size());
    if (quint64(Bytes.Size()) + total > MaxArenaSize || Entries.Size() >= size_t(std::numeric_limits<int>::max()))
        throw std::length_error("listing too large");
    TEntry entry;
    entry.Offset = std::uint32_t(Bytes.Size());
    for (int i = 0; i < fiColumnCount; ++i) {
        entry.Lengths[i] = std::uint32_t(texts[i].size());
        Bytes.Append(texts[i].data(), size_t(texts[i].size()));
    }
    entry.SortKeyOffset = 0;
    entry.SortKeyLength = 0;
    Entries.Append(&entry, 1);
}

void TMFtpFileInfoList::AddInfo(const MFtpFileInfo &Info)
{
    Add(Info.FileName, Info.Attributes, Info.ModifiedDate, Info.FileSize, Info.LinkTo, Info.Owner, Info.Group,
        Info.Description);
}

void TMFtpFileInfoList::CheckIndex(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw std::out_of_range("list index out of bounds (" + std::to_string(Index) + ")");
}

MFtpFileInfo TMFtpFileInfoList::GetInfo(int Index) const
{
    CheckIndex(Index);
    const TEntry &entry = Entries[size_t(Index)];
    MFtpFileInfo info;
    info.Attributes = Text(entry, fiAttributes).toByteArray();
    info.ModifiedDate = Text(entry, fiModifiedDate).toByteArray();
    info.Description = Text(entry, fiDescription).toByteArray();
    info.FileName = Text(entry, fiFileName).toByteArray();
    info.FileSize = Text(entry, fiFileSize).toByteArray();
    info.LinkTo = Text(entry, fiLinkTo).toByteArray();
    info.Owner = Text(entry, fiOwner).toByteArray();
    info.Group = Text(entry, fiGroup).toByteArray();
    return info;
}

void TMFtpFileInfoList::Assign(const TMFtpFileInfoList &Source)
{
    if (&Source == this)
        return;
    Bytes = Source.Bytes;
    SortKeyBytes = Source.SortKeyBytes;
    Entries = Source.Entries;
}

void TMFtpFileInfoList::Clear()
{
    Bytes.Clear();
    SortKeyBytes.Clear();
    Entries.Clear();
}

namespace {

bool IsAscii(QByteArrayView Text)
{
    for (char c : Text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

} // namespace

int TMFtpFileInfoList::IndexOfName(QByteArrayView Name) const
{
    const bool asciiName = IsAscii(Name);
    QString decodedName;
    for (int i = 0; i < Count(); ++i) {
        const QByteArrayView candidate = Text(Entries[size_t(i)], fiFileName);
        if (candidate == Name)
            return i;
        const bool asciiCandidate = IsAscii(candidate);
        if (asciiName && asciiCandidate) {
            if (candidate.size() == Name.size() && candidate.compare(Name, Qt::CaseInsensitive) == 0)
                return i;
            continue;
        }
        // GBK second bytes may be ASCII letters: fold case on the decoded names.
        if (decodedName.isNull())
            decodedName = platform::decodeRemoteName(QByteArray::fromRawData(Name.data(), Name.size()));
        const QString decoded = platform::decodeRemoteName(QByteArray::fromRawData(candidate.data(), candidate.size()));
        if (decoded.compare(decodedName, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void TMFtpFileInfoList::Exchange(int A, int B)
{
    CheckIndex(A);
    CheckIndex(B);
    std::swap(Entries[size_t(A)], Entries[size_t(B)]);
}

QByteArrayView TMFtpFileInfoList::Field(TFileInfoField Field, int Index) const
{
    CheckIndex(Index);
    if (Field < 0 || Field >= fiColumnCount)
        throw std::out_of_range("no such listing column");
    return Text(Entries[size_t(Index)], Field);
}

QByteArrayView TMFtpFileInfoList::SortKey(int Index) const
{
    CheckIndex(Index);
    return SortKeyText(Entries[size_t(Index)]);
}
