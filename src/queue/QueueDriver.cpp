// TTransferRunner: the queue driver. Entries run strictly top to bottom,
// each once; a handled entry leaves the queue (the next one moves up into
// its row), a failed one keeps its row and is stepped over.
#include "queue/TransferRunner.h"

#include "engine/TMFtp.h"

namespace queue {

bool TTransferRunner::RunQueueEntry(std::optional<TQueueModel::Id> entry)
{
    if (entry)
        state_.CurrentEntry = entry;
    if (!state_.CurrentEntry)
        return false;
    const int row = queue_.rowOf(*state_.CurrentEntry);
    if (row < 0) {
        state_.CurrentEntry.reset();
        return true; // it has left the queue already
    }
    const bool upload = queue_.entry(row).isUpload();
    const bool result = upload ? RunUploadEntry(*state_.CurrentEntry) : RunDownloadEntry(*state_.CurrentEntry);
    if (upload)
        host_.RefreshRemoteList(false);
    else
        host_.RereadLocalPane();
    state_.CurrentEntry.reset();
    return result;
}

void TTransferRunner::RunAllEntries()
{
    if (queue_.count() == 0)
        return;
    state_.mode = omQueue;
    state_.StopRequested = false;
    const bool cache = engine_.Cache();
    engine_.SetCache(false);
    const int n = queue_.count();
    int i = 0;
    for (int k = 0; k < n; ++k) {
        if (state_.StopRequested || i >= queue_.count())
            break;
        if (!SessionAlive()) {
            // The session is gone: the rest keeps its rows for a later run.
            host_.LogError(QString::fromUtf8(host_.UseSimplified() ? "连接已断开，队列停止传送。"
                                                                    : "連接已斷開，隊列停止傳送。"));
            break;
        }
        if (!RunQueueEntry(queue_.idAt(i)))
            ++i;
    }
    engine_.SetCache(cache);
    FinishRun(false);
}

void TTransferRunner::RunSelectedEntry(int row)
{
    if (row < 0 || row >= queue_.count())
        return;
    const bool cache = engine_.Cache();
    engine_.SetCache(false);
    state_.mode = omQueue;
    state_.StopRequested = false;
    state_.ApplyToAll = false;
    RunQueueEntry(queue_.idAt(row));
    engine_.SetCache(cache);
    FinishRun(false);
}

} // namespace queue
