// The replacement script run for real against a dummy program: it waits for
// the program's process to end, renames the update over it, starts it and
// deletes itself; when the update cannot take the program's place, the old
// program stays and is started.
#include "services/UpdateCheck.h"

#include "support/EventLoopWait.h"
#include "UpdateSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace services;
using namespace updatetest;

namespace {

class ReplacementRun : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString program;
    QString update;
    QString script;
    QString marker;
    QProcess running; // stands for the program that is ending

    void SetUp() override
    {
        testsupport::ensureCoreApplication();
        program = dir.filePath(QStringLiteral("my prog's"));
        update = DownloadTargetFor(program);
        script = ScriptPathFor(program);
        marker = dir.filePath(QStringLiteral("started"));
        ASSERT_TRUE(writeFile(program, dummy("old")));
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        running.start(QStringLiteral("/bin/cat"), {});
        ASSERT_TRUE(running.waitForStarted());
    }

    void TearDown() override
    {
        if (running.state() != QProcess::NotRunning) {
            running.kill();
            running.waitForFinished();
        }
    }

    // A program that writes its name into the marker file when it starts.
    QByteArray dummy(const char *name) const
    {
        return "#!/bin/sh\necho " + QByteArray(name) + " > " + ShellQuote(QFile::encodeName(marker)) + "\n";
    }

    void startScript()
    {
        ASSERT_TRUE(WriteReplacementScript(script, ReplacementScript(program, update, script, running.processId())));
        EXPECT_EQ(QFileInfo(script).permissions() & (QFile::ReadOther | QFile::WriteOther | QFile::WriteGroup),
                  QFileDevice::Permissions());
        ASSERT_TRUE(StartReplacementScript(script));
    }

    // Ends the program and waits for the script to finish its work.
    void endProgramAndWait()
    {
        running.closeWriteChannel();
        ASSERT_TRUE(running.waitForFinished(5000));
        ASSERT_TRUE(testsupport::waitUntil(
            // The started program creates the marker before it writes to it.
            [this] { return readFile(marker).endsWith('\n') && !QFile::exists(script); }, 15000));
    }
};

} // namespace

TEST_F(ReplacementRun, ReplacesAndStartsTheNewProgram)
{
    ASSERT_TRUE(writeFile(update, dummy("new")));
    QFile::setPermissions(update, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    startScript();
    // The program has not ended: nothing is replaced yet.
    EXPECT_EQ(readFile(program), dummy("old"));
    endProgramAndWait();
    EXPECT_EQ(readFile(marker), "new\n");
    EXPECT_EQ(readFile(program), dummy("new"));
    EXPECT_FALSE(QFile::exists(update));
    EXPECT_FALSE(QFile::exists(script));
    EXPECT_TRUE(QFileInfo(program).isExecutable());
}

TEST_F(ReplacementRun, AFailedReplacementKeepsTheOldProgram)
{
    // Something that cannot take the program's place: a folder with a file in it.
    ASSERT_TRUE(QDir().mkpath(update));
    ASSERT_TRUE(writeFile(update + QStringLiteral("/inside"), "x"));
    startScript();
    endProgramAndWait();
    EXPECT_EQ(readFile(marker), "old\n");
    EXPECT_EQ(readFile(program), dummy("old"));
    EXPECT_TRUE(QFileInfo(update).isDir());
    EXPECT_FALSE(QFile::exists(script));
}

TEST_F(ReplacementRun, AMissingUpdateKeepsTheOldProgram)
{
    startScript();
    endProgramAndWait();
    EXPECT_EQ(readFile(marker), "old\n");
    EXPECT_EQ(readFile(program), dummy("old"));
}
