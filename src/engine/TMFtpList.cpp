// List: the current folder from the listing cache or from the network.

#include "engine/TMFtp.h"

#include "engine/FtpCache.h"
#include "engine/TMFtpInternal.h"
#include "platform/TextCodec.h"

#include <algorithm>

using namespace ftp;

QByteArray TMFtp::CachePath(const QByteArray &directory, char kind) const
{
    // A server switched to UTF-8 may spell the same folder's names in other
    // bytes than it does otherwise: its listings are kept apart.
    return ftpcache::CacheFilePath(cacheFolder_, Server(), Port(), username_, directory, ftpcache::Kind(kind),
                                   featureUse_.Utf8On ? QByteArrayView("utf8") : QByteArrayView());
}

QByteArray TMFtp::EncodeName(const QString &text) const
{
    if (featureUse_.Names != TMFtpNameEncoding::Guess)
        return EncodeRemoteName(text, featureUse_.Names);
    bool gbk = !platform::isValidUtf8(currentDirectory_);
    const TMFtpFileInfoList *lists[] = {&folderList_, &fileList_};
    for (const TMFtpFileInfoList *list : lists) {
        const int n = std::min(list->Count(), 64);
        for (int i = 0; i < n && !gbk; ++i) {
            const QByteArrayView name = list->FileName(i);
            gbk = !platform::isValidUtf8(QByteArray(name.data(), name.size()));
        }
    }
    return EncodeRemoteName(text, gbk ? TMFtpNameEncoding::Gbk : TMFtpNameEncoding::Utf8);
}

void TMFtp::List()
{
    if (busy_) {
        ReportInfo(infoBusy);
        return;
    }
    operation_ = opList;
    if (cache_) {
        TMFtpFileInfoList folders;
        TMFtpFileInfoList files;
        if (ftpcache::LoadCache(CachePath(currentDirectory_, ftpcache::Folders), folders, cacheExpire_, today_)
            && ftpcache::LoadCache(CachePath(currentDirectory_, ftpcache::Files), files, cacheExpire_, today_)) {
            folderList_ = std::move(folders);
            fileList_ = std::move(files);
            fromCache_ = true;
            PostReady();
            return;
        }
    }
    if (!BeginOperation())
        return;
    fromCache_ = false;
    StartNetworkListing();
    if (!asynchronous_)
        WaitWhileBusy();
}

void TMFtp::HandleListingReady()
{
    if (fromCache_)
        return;
    listedWithMlsd_ = listingWithMlsd_;
    std::swap(fileList_, pendingFileList_);
    std::swap(folderList_, pendingFolderList_);
    pendingFileList_.Clear();
    pendingFolderList_.Clear();
    if (!opOK_)
        return;
    const auto save = [this] {
        return ftpcache::SaveCache(CachePath(currentDirectory_, ftpcache::Folders), folderList_)
            && ftpcache::SaveCache(CachePath(currentDirectory_, ftpcache::Files), fileList_);
    };
    if (!save()) {
        // The cache folder may have been removed meanwhile: set it up again.
        ftpcache::PrepareFolder(cacheFolder_);
        today_ = ftpcache::TodayNumber();
        save();
    }
}

void TMFtp::ClearFileCache()
{
    if (currentDirectory_.startsWith('/'))
        ftpcache::RemoveCacheFile(CachePath(currentDirectory_, ftpcache::Files));
}

int TMFtp::FolderIndex(const QByteArray &name) const
{
    return folderList_.IndexOfName(name);
}
