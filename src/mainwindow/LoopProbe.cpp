#include "mainwindow/LoopProbe.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace mainwindow {
namespace {

constexpr int IntervalMs = 20;
constexpr qint64 IntervalNs = qint64(IntervalMs) * 1000000;

class LoopProbe : public QObject
{
public:
    LoopProbe(const QString &fileName, QObject *parent) : QObject(parent), fileName_(fileName)
    {
        lateNs_.reserve(4096);
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(IntervalMs);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
        clock_.start();
        last_ = 0;
        timer_.start();
    }

    ~LoopProbe() override { writeReport(); }

    void writeReport()
    {
        if (written_)
            return;
        written_ = true;
        timer_.stop();
        double maxMs = 0;
        double p99Ms = 0;
        if (!lateNs_.empty()) {
            std::vector<qint64> v = lateNs_;
            maxMs = double(*std::max_element(v.begin(), v.end())) / 1e6;
            // Nearest rank: the smallest value at or above 99 % of the ticks.
            const size_t rank = (v.size() * 99 + 99) / 100;
            std::nth_element(v.begin(), v.begin() + (rank - 1), v.end());
            p99Ms = double(v[rank - 1]) / 1e6;
        }
        char line[128];
        std::snprintf(line, sizeof line, "ticks=%zu max_ms=%.1f p99_ms=%.1f\n", lateNs_.size(), maxMs, p99Ms);
        QFile f(fileName_);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(line) < 0)
            std::fprintf(stderr, "bramblewayftp: cannot write %s\n", fileName_.toLocal8Bit().constData());
    }

private:
    void tick()
    {
        const qint64 now = clock_.nsecsElapsed();
        lateNs_.push_back(std::max<qint64>(0, now - last_ - IntervalNs));
        last_ = now;
    }

    QString fileName_;
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    std::vector<qint64> lateNs_;
    bool written_ = false;
};

} // namespace

void StartLoopProbeFromEnvironment(QObject *owner)
{
    const QString fileName = qEnvironmentVariable(LoopProbeVariable);
    if (fileName.isEmpty())
        return;
    QCoreApplication *app = QCoreApplication::instance();
    if (!owner)
        owner = app;
    if (!owner)
        return;
    auto *probe = new LoopProbe(fileName, owner);
    if (app)
        QObject::connect(app, &QCoreApplication::aboutToQuit, probe, [probe] { probe->writeReport(); });
}

} // namespace mainwindow
