// libFuzzer target over the reader of the trusted-certificates file. Any
// file loads without harm; saved and loaded again it gives the same store
// and the same file, lines not understood included.

#include "FuzzSupport.h"

#include "platform/CertificateTrust.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>

namespace {

std::unique_ptr<QTemporaryDir> folder;

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::quietQt();
    // The store saves through QSaveFile, which syncs to disk: a folder in
    // memory keeps that from setting the pace.
    folder = QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                 ? std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/trust_fuzz-XXXXXX"))
                 : std::make_unique<QTemporaryDir>();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, size_t size)
{
    const QString input = folder->filePath(QStringLiteral("input.txt"));
    const QString first = folder->filePath(QStringLiteral("first.txt"));
    const QString second = folder->filePath(QStringLiteral("second.txt"));
    FUZZ_CHECK(writeAll(input, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size))));

    platform::CertificateTrustStore store(input);
    FUZZ_CHECK(store.load());
    QFile::remove(first);
    FUZZ_CHECK(writeAll(first, readAll(input)));
    platform::CertificateTrustStore copy(first);
    FUZZ_CHECK(copy.load() && copy.save());

    platform::CertificateTrustStore again(first);
    FUZZ_CHECK(again.load());
    FUZZ_CHECK(again.count() == store.count());
    FUZZ_CHECK(again.unreadableLines() == store.unreadableLines());
    const QByteArray saved = readAll(first);
    QFile::remove(second);
    FUZZ_CHECK(writeAll(second, saved));
    platform::CertificateTrustStore third(second);
    FUZZ_CHECK(third.load() && third.save());
    FUZZ_CHECK(readAll(second) == saved);
    return 0;
}
