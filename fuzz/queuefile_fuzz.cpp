// libFuzzer target over the queue file reader (.TQU). A file that decodes
// encodes again, and that file decodes to the same entries: every queue the
// program loads it can also save.

#include "FuzzSupport.h"

#include "queue/QueueFile.h"

#include <QByteArray>

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::quietQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<QList<queue::QueueEntry>> entries = queue::DecodeQueueFile(bytes);
    if (!entries)
        return 0;
    FUZZ_CHECK(entries->size() <= queue::QueueFileMaxEntries);
    for (const queue::QueueEntry &entry : *entries) {
        FUZZ_CHECK(entry.subItems.size() <= queue::QueueFileMaxSubItems);
        FUZZ_CHECK(!entry.caption.contains('\0'));
        (void)entry.localPath();
        (void)entry.isUpload();
        (void)entry.isFolder();
    }
    const std::optional<QByteArray> encoded = queue::EncodeQueueFile(*entries);
    FUZZ_CHECK(encoded.has_value());
    FUZZ_CHECK(encoded->size() <= bytes.size());
    const std::optional<QList<queue::QueueEntry>> again = queue::DecodeQueueFile(*encoded);
    FUZZ_CHECK(again.has_value() && *again == *entries);
    return 0;
}
