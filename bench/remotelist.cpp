// The remote file list under load: from a completed listing of 100,000
// entries (parsed from UNIX lines, some with Chinese names) to the list
// filled and painted offscreen, then a re-sort by name, size and date.
// Prints the best of several rounds, wall clock and processor time, and the
// memory one entry takes in the list's copies.

#include "listing/ListingParser.h"
#include "views/FtpListView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QListView>
#include <QPixmap>
#include <QTreeView>

#include <malloc.h>

#include <cstdio>
#include <ctime>
#include <random>

namespace {

constexpr int EntryCount = 100000;
constexpr int Rounds = 5;

double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

struct Stopwatch
{
    QElapsedTimer wall;
    double cpu0 = CpuSeconds();
    Stopwatch() { wall.start(); }
    double Ms() const { return double(wall.nsecsElapsed()) / 1e6; }
    double CpuMs() const { return (CpuSeconds() - cpu0) * 1e3; }
};

void GenerateListing(TMFtpFileInfoList &folders, TMFtpFileInfoList &files)
{
    static const char *months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    static const char *extensions[] = {".txt", ".tar.gz", ".iso", ".jpg", ".c", "", ".zip", ".pdf"};
    static const char *words[] = {"data", "Report Final", "年度报告", "软件更新"};
    std::mt19937_64 random(1);
    TListingParser parser;
    char line[256];
    for (int i = 0; i < EntryCount; ++i) {
        const int kind = int(random() % 10);
        const char *attributes = kind == 0 ? "drwxr-xr-x" : kind == 1 ? "lrwxrwxrwx" : "-rw-r--r--";
        const unsigned long long size = random() % (kind < 2 ? 4096 : 20000000000ULL);
        char when[16];
        if (random() % 2)
            std::snprintf(when, sizeof when, "%02d:%02d", int(random() % 24), int(random() % 60));
        else
            std::snprintf(when, sizeof when, " %d", 1995 + int(random() % 30));
        std::snprintf(line, sizeof line, "%s %3d %-8s %-8s %12llu %s %2d %5s file_%07d_%s%s%s", attributes,
                      1 + int(random() % 9), "user", "staff", size, months[random() % 12], 1 + int(random() % 28),
                      when, i, words[random() % 4], extensions[random() % 8], kind == 1 ? " -> ../target" : "");
        parser.AddListingLine(ftpstUNIX, line, folders, files);
    }
}

size_t HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd; // small blocks and mapped large ones
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    TMFtpFileInfoList folders, files;
    GenerateListing(folders, files);
    std::printf("listing: %d folders, %d files\n", folders.Count(), files.Count());

    views::TMFtpListView view;
    view.SetLanguage(views::China);
    view.resize(1000, 700);
    view.show();
    QApplication::processEvents();

    // Memory: one copy of the lists (what the view keeps besides the engine).
    const size_t before = HeapInUse();
    {
        TMFtpFileInfoList copyFolders, copyFiles;
        copyFolders.Assign(folders);
        copyFiles.Assign(files);
        const size_t listBytes = HeapInUse() - before;
        std::printf("memory: %.1f bytes per entry in one copy of the lists\n", double(listBytes) / EntryCount);
    }

    double bestShow = 1e9, bestShowCpu = 1e9;
    for (int round = 0; round < Rounds; ++round) {
        view.Clear();
        view.SortBy(views::stName, true);
        QApplication::processEvents();
        Stopwatch watch;
        view.LoadLists(folders, files);
        view.reportView()->viewport()->repaint();
        QApplication::processEvents();
        bestShow = qMin(bestShow, watch.Ms());
        bestShowCpu = qMin(bestShowCpu, watch.CpuMs());
    }
    std::printf("show (copy, sort by name, reset, paint): %7.1f ms wall, %7.1f ms cpu\n", bestShow, bestShowCpu);

    const size_t afterLoad = HeapInUse();
    view.listModel()->FindItem(QStringLiteral("FILE_0099999"), 0, true);
    std::printf("memory: %.1f bytes per entry for the type-ahead names (built on first use)\n",
                double(HeapInUse() - afterLoad) / EntryCount);

    const struct { views::TMFtpSortBase key; const char *name; } sorts[] = {
        {views::stSize, "size"}, {views::stDateTime, "date"}, {views::stName, "name"}, {views::stFileType, "type"}};
    for (const auto &s : sorts) {
        double best = 1e9, bestCpu = 1e9;
        for (int round = 0; round < Rounds; ++round) {
            view.SortBy(views::stNone, true);
            Stopwatch watch;
            view.SortBy(s.key, round % 2 == 0);
            view.reportView()->viewport()->repaint();
            QApplication::processEvents();
            best = qMin(best, watch.Ms());
            bestCpu = qMin(bestCpu, watch.CpuMs());
        }
        std::printf("re-sort by %-4s: %7.1f ms wall, %7.1f ms cpu\n", s.name, best, bestCpu);
    }

    Stopwatch iconWatch;
    view.setViewStyle(ui::vsIcon);
    view.iconView()->viewport()->repaint();
    QApplication::processEvents();
    std::printf("switch to icon view: %7.1f ms wall\n", iconWatch.Ms());
    return 0;
}
