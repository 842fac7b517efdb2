// Which program folders count as installed ones, never written to.

#include "platform/AppPaths.h"

#include <gtest/gtest.h>

namespace {

struct FolderCase
{
    const char *folder;
    const char *installBinDir;
    bool installed;
};

TEST(AppPaths, InstalledProgramFolders)
{
    const FolderCase cases[] = {
        {"/usr/bin", "/usr/local/bin", true},
        {"/usr/local/bin", "/usr/local/bin", true},
        {"/usr/games", "", true},
        {"/usr/lib/bramblewayftp/", "", true},
        {"/bin", "", true},
        {"/sbin", "", true},
        {"/opt/bramblewayftp/bin", "", true},
        {"/home/me/.local/bin", "/home/me/.local/bin", true},
        {"/home/me/.local/bin/", "/home/me/.local/bin", true},
        {"/home/me/.local/bin/../bin", "/home/me/.local/bin", true},
        // Portable copies and build folders.
        {"/home/me/bramblewayftp", "/usr/bin", false},
        {"/home/me/.local/bin", "/usr/bin", false},
        {"/work/build", "/usr/local/bin", false},
        {"/usrdata/bw", "/usr/bin", false},
        {"/optional/bw", "", false},
        {"/binaries", "", false},
        {"/tmp/stage/usr/bin", "/usr/bin", false},
        {"/", "", false},
    };
    for (const FolderCase &c : cases)
        EXPECT_EQ(platform::isInstalledProgramFolder(QString::fromUtf8(c.folder), QString::fromUtf8(c.installBinDir)),
                  c.installed)
            << c.folder << " with " << c.installBinDir;
}

} // namespace
