// libFuzzer target over the site book reader (ftp.dat). Whatever a file
// holds, reading it never crashes, and what was read (all of it, or what
// came before a fault) can be saved and read back unchanged: the program
// saves the tree a refused file left behind.

#include "FuzzSupport.h"

#include "sites/SiteBook.h"
#include "sites/SiteTree.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace {

void checkRereads(const QByteArray &written, int nodes)
{
    sites::TSiteTree again;
    QString error;
    FUZZ_CHECK(sites::ReadSiteBookBytes(written, again, &error));
    FUZZ_CHECK(again.nodeCount() == nodes);
    FUZZ_CHECK(sites::WriteSiteBookBytes(again) == written);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::quietQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    sites::TSiteTree tree;
    QString error;
    const bool ok = sites::ReadSiteBookBytes(bytes, tree, &error);
    FUZZ_CHECK(ok == error.isEmpty());
    if (tree.isEmpty())
        return 0;

    const int nodes = tree.nodeCount();
    FUZZ_CHECK(int(tree.nodes().size()) == nodes);
    const QByteArray written = sites::WriteSiteBookBytes(tree);
    checkRereads(written, nodes);

    // As the site manager saves: sorted, records renamed after their nodes.
    tree.sort();
    tree.renameRecords();
    checkRereads(sites::WriteSiteBookBytes(tree), nodes);
    return 0;
}
