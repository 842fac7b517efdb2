#include "listing/FileInfo.h"

#include "platform/TextCodec.h"

#include <limits>
#include <stdexcept>

void TMFtpFileInfoList::TColumn::Append(QByteArrayView Text)
{
    TSpan span;
    if (!Text.isEmpty()) {
        if (quint64(Bytes.size()) + quint64(Text.size()) > std::numeric_limits<std::uint32_t>::max())
            throw std::length_error("listing column too large");
        span.Offset = std::uint32_t(Bytes.size());
        span.Length = std::uint32_t(Text.size());
        Bytes.append(Text.data(), Text.size());
    }
    Spans.append(span);
}

void TMFtpFileInfoList::Add(QByteArrayView FileName, QByteArrayView Attributes, QByteArrayView ModifiedDate,
                            QByteArrayView FileSize, QByteArrayView LinkTo, QByteArrayView Owner,
                            QByteArrayView Group, QByteArrayView Description)
{
    Columns[fiAttributes].Append(Attributes);
    Columns[fiModifiedDate].Append(ModifiedDate);
    Columns[fiFileSize].Append(FileSize);
    Columns[fiLinkTo].Append(LinkTo);
    Columns[fiDescription].Append(Description);
    Columns[fiFileName].Append(FileName);
    Columns[fiOwner].Append(Owner);
    Columns[fiGroup].Append(Group);
    Columns[SortKeyColumn].Append({});
    ++FCount;
}

void TMFtpFileInfoList::AddInfo(const MFtpFileInfo &Info)
{
    Add(Info.FileName, Info.Attributes, Info.ModifiedDate, Info.FileSize, Info.LinkTo, Info.Owner, Info.Group,
        Info.Description);
}

void TMFtpFileInfoList::CheckIndex(int Index) const
{
    if (Index < 0 || Index >= FCount)
        throw std::out_of_range("list index out of bounds (" + std::to_string(Index) + ")");
}

MFtpFileInfo TMFtpFileInfoList::GetInfo(int Index) const
{
    CheckIndex(Index);
    MFtpFileInfo info;
    info.Attributes = Columns[fiAttributes].At(Index).toByteArray();
    info.ModifiedDate = Columns[fiModifiedDate].At(Index).toByteArray();
    info.Description = Columns[fiDescription].At(Index).toByteArray();
    info.FileName = Columns[fiFileName].At(Index).toByteArray();
    info.FileSize = Columns[fiFileSize].At(Index).toByteArray();
    info.LinkTo = Columns[fiLinkTo].At(Index).toByteArray();
    info.Owner = Columns[fiOwner].At(Index).toByteArray();
    info.Group = Columns[fiGroup].At(Index).toByteArray();
    return info;
}

void TMFtpFileInfoList::Assign(const TMFtpFileInfoList &Source)
{
    if (&Source == this)
        return;
    Columns = Source.Columns;
    FCount = Source.FCount;
}

void TMFtpFileInfoList::Clear()
{
    for (TColumn &column : Columns) {
        column.Bytes.clear();
        column.Spans.clear();
    }
    FCount = 0;
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
    for (int i = 0; i < FCount; ++i) {
        const QByteArrayView candidate = Columns[fiFileName].At(i);
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
    for (TColumn &column : Columns)
        column.Spans.swapItemsAt(A, B);
}

QByteArrayView TMFtpFileInfoList::Field(TFileInfoField Field, int Index) const
{
    CheckIndex(Index);
    if (Field < 0 || Field >= fiColumnCount)
        throw std::out_of_range("no such listing column");
    return Columns[Field].At(Index);
}

QByteArrayView TMFtpFileInfoList::SortKey(int Index) const
{
    CheckIndex(Index);
    return Columns[SortKeyColumn].At(Index);
}
