// List: the current folder from the listing cache or from the network.

#include "engine/TMFtp.h"

#include "engine/FtpCache.h"
#include "engine/TMFtpInternal.h"

using namespace ftp;

QByteArray TMFtp::CachePath(const QByteArray &directory, char kind) const
{
    return ftpcache::CacheFilePath(cacheFolder_, Server(), Port(), username_, directory, ftpcache::Kind(kind));
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
