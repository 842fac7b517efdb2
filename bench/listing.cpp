// Parses a generated listing of 1,000,000 UNIX lines and sorts 100,000
// entries by name, size and date. Prints lines per second and sort times.

#include "listing/ListingDate.h"
#include "listing/ListingParser.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <random>

namespace {

constexpr int LineCount = 1000000;
constexpr int SortCount = 100000;
constexpr int Rounds = 3;

QList<QByteArray> GenerateUnixListing(int Count)
{
    static const char *months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    static const char *extensions[] = {".txt", ".tar.gz", ".iso", ".jpg", ".c", "", ".zip", ".pdf"};
    std::mt19937_64 random(1);
    QList<QByteArray> lines;
    lines.reserve(Count);
    char buffer[256];
    for (int i = 0; i < Count; ++i) {
        const int kind = int(random() % 10);
        const char *attributes = kind == 0 ? "drwxr-xr-x" : kind == 1 ? "lrwxrwxrwx" : "-rw-r--r--";
        const unsigned long long size = random() % (kind < 2 ? 4096 : 20000000000ULL);
        const char *month = months[random() % 12];
        const int day = 1 + int(random() % 28);
        char when[16];
        if (random() % 2)
            std::snprintf(when, sizeof when, "%02d:%02d", int(random() % 24), int(random() % 60));
        else
            std::snprintf(when, sizeof when, " %d", 1995 + int(random() % 30));
        char name[64];
        std::snprintf(name, sizeof name, "file_%07llu_%s%s", (unsigned long long)(random() % 10000000),
                      (random() % 3) ? "data" : "Report Final", extensions[random() % 8]);
        const int n = std::snprintf(buffer, sizeof buffer, "%s %3d %-8s %-8s %12llu %s %2d %5s %s%s", attributes,
                                    1 + int(random() % 9), "user", "staff", size, month, day, when, name,
                                    kind == 1 ? " -> ../target" : "");
        lines.append(QByteArray(buffer, n));
    }
    return lines;
}

// Processor time of this thread: other programs on the machine slow the
// wall clock but not this.
double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

struct TTimer {
    QElapsedTimer Wall;
    double CpuStart = 0;

    void Start()
    {
        Wall.start();
        CpuStart = CpuSeconds();
    }
    double WallSeconds() const { return double(Wall.nsecsElapsed()) / 1e9; }
    double Cpu() const { return CpuSeconds() - CpuStart; }
};

} // namespace

int main(int argc, char **argv)
{
    const bool parseOnly = argc > 1 && std::strcmp(argv[1], "parse") == 0;
    SetStartYear(2024);
    std::printf("generating %d UNIX lines...\n", LineCount);
    const QList<QByteArray> lines = GenerateUnixListing(LineCount);
    qsizetype bytes = 0;
    for (const QByteArray &line : lines)
        bytes += line.size() + 2;
    std::printf("example: %s\n", lines.first().constData());

    double bestParse = 1e9, bestParseCpu = 1e9;
    double bestAdd = 1e9, bestAddCpu = 1e9;
    double bestReuse = 1e9, bestReuseCpu = 1e9;
    TMFtpFileInfoList reusedFolders;
    TMFtpFileInfoList reusedFiles;
    int accepted = 0;
    for (int round = 0; round < Rounds; ++round) {
        TListingParser parser;
        MFtpFileInfo info;
        bool isFolder = false;
        TTimer timer;
        timer.Start();
        accepted = 0;
        for (const QByteArray &line : lines)
            accepted += parser.ParseListingLine(ftpstUNIX, line, info, isFolder);
        bestParse = qMin(bestParse, timer.WallSeconds());
        bestParseCpu = qMin(bestParseCpu, timer.Cpu());
        if (parseOnly)
            continue;

        TMFtpFileInfoList folders;
        TMFtpFileInfoList files;
        timer.Start();
        for (const QByteArray &line : lines)
            parser.AddListingLine(ftpstUNIX, line, folders, files);
        bestAdd = qMin(bestAdd, timer.WallSeconds());
        bestAddCpu = qMin(bestAddCpu, timer.Cpu());

        // The engine clears its pending lists for each listing; their memory stays.
        reusedFolders.Clear();
        reusedFiles.Clear();
        timer.Start();
        for (const QByteArray &line : lines)
            parser.AddListingLine(ftpstUNIX, line, reusedFolders, reusedFiles);
        bestReuse = qMin(bestReuse, timer.WallSeconds());
        bestReuseCpu = qMin(bestReuseCpu, timer.Cpu());
    }
    std::printf("parse only:                   %.3f s wall, %.3f s cpu: %.2f million lines/s (cpu), %d entries\n",
                bestParse, bestParseCpu, LineCount / bestParseCpu / 1e6, accepted);
    if (parseOnly)
        return 0;
    std::printf("parse into new lists:         %.3f s wall, %.3f s cpu: %.2f million lines/s (cpu)\n", bestAdd,
                bestAddCpu, LineCount / bestAddCpu / 1e6);
    std::printf("parse into cleared lists:     %.3f s wall, %.3f s cpu: %.2f million lines/s (cpu)\n", bestReuse,
                bestReuseCpu, LineCount / bestReuseCpu / 1e6);

    TListingParser parser;
    TMFtpFileInfoList folders;
    TMFtpFileInfoList source;
    for (int i = 0; source.Count() < SortCount && i < lines.size(); ++i)
        parser.AddListingLine(ftpstUNIX, lines[i], folders, source);

    struct {
        const char *Name;
        TFileInfoField Field;
    } sorts[] = {{"name", fiFileName}, {"size", fiFileSize}, {"date", fiModifiedDate}, {"type", fiTypeName}};
    for (const auto &sort : sorts) {
        for (bool ascending : {true, false}) {
            double best = 1e9, bestCpu = 1e9;
            for (int round = 0; round < Rounds; ++round) {
                TMFtpFileInfoList list;
                list.Assign(source);
                TTimer timer;
                timer.Start();
                list.Sort(sort.Field, ascending);
                best = qMin(best, timer.WallSeconds());
                bestCpu = qMin(bestCpu, timer.Cpu());
            }
            std::printf("sort %d entries by %-4s %-10s %7.1f ms wall, %7.1f ms cpu\n", source.Count(), sort.Name,
                        ascending ? "ascending" : "descending", best * 1000, bestCpu * 1000);
        }
    }
    return 0;
}
