#include "platform/MachineId.h"

#include "support/LocalFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using platform::machineIdentityFrom;

namespace {

QString writeFile(const QTemporaryDir &dir, const char *name, const QByteArray &bytes)
{
    const QString path = dir.filePath(QLatin1String(name));
    testsupport::writeFile(path, bytes);
    return path;
}

} // namespace

TEST(MachineIdentity, FirstFileWithTextWins)
{
    QTemporaryDir dir;
    const QString empty = writeFile(dir, "empty", "  \n");
    const QString first = writeFile(dir, "first", "3d1219c7c4c5404aaa1f6d2a48adfda4\n");
    const QString second = writeFile(dir, "second", "ffff");
    EXPECT_EQ(machineIdentityFrom({dir.filePath("missing"), empty, first, second}, "host"),
              QByteArray("3d1219c7c4c5404aaa1f6d2a48adfda4"));
}

TEST(MachineIdentity, FallsBackToHostThenFixedText)
{
    QTemporaryDir dir;
    EXPECT_EQ(machineIdentityFrom({dir.filePath("missing")}, " box7 "), QByteArray("box7"));
    EXPECT_FALSE(machineIdentityFrom({}, QByteArray()).isEmpty());
}

TEST(MachineIdentity, StableAndNotEmpty)
{
    const QByteArray id = platform::machineIdentity();
    EXPECT_FALSE(id.isEmpty());
    EXPECT_EQ(id, platform::machineIdentity());
}
