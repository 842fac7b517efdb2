// libFuzzer target over the reader of the per-site options file beside the
// site book. The input is the options file, a NUL byte, and a site book.
// Reading never crashes, and the options read, written and read again into
// the same book give the same file.

#include "FuzzSupport.h"

#include "sites/SiteBook.h"
#include "sites/SiteOptionsFile.h"
#include "sites/SiteTree.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::quietQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype split = input.indexOf('\0');
    const QByteArray options = split < 0 ? input : input.left(split);
    const QByteArray book = split < 0 ? QByteArray() : input.mid(split + 1);

    sites::TSiteTree tree;
    QString error;
    sites::ReadSiteBookBytes(book, tree, &error);
    const int nodes = tree.nodeCount();
    const sites::SiteOptionsLoad load = sites::ReadSiteOptionsBytes(options, tree);
    FUZZ_CHECK(tree.nodeCount() == nodes);
    FUZZ_CHECK(load.status != sites::SiteOptionsLoad::Missing);
    FUZZ_CHECK(load.status != sites::SiteOptionsLoad::Refused || !load.message.isEmpty());

    const QByteArray written = sites::WriteSiteOptionsBytes(tree);
    sites::TSiteTree again;
    sites::ReadSiteBookBytes(book, again, &error);
    const sites::SiteOptionsLoad reload = sites::ReadSiteOptionsBytes(written, again);
    FUZZ_CHECK(reload.status == sites::SiteOptionsLoad::Loaded);
    FUZZ_CHECK(reload.skippedValues == 0);
    FUZZ_CHECK(sites::WriteSiteOptionsBytes(again) == written);
    return 0;
}
