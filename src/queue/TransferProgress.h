#pragma once
// The status bar's transfer display, without widgets: the main window feeds
// it the engine's transfer information and the ticks of its 250 ms progress
// timer, and copies view() into the status bar. Time is passed in as
// milliseconds of a monotonic clock, so the class owns no timer; timerActive()
// tells the owner whether its progress timer should run.
//
// Behaviour worth knowing:
// - Byte counts, the gauge's maximum and the remaining time are 64-bit; files
//   beyond 4 GiB show a true fraction (permille()).
// - A total that is not a decimal number (or is negative) gives the maximum
//   0; the gauge then shows no percentage (showsPercentage() is false).
// - For a download the size of the file in the current folder's listing, when
//   the listing has it, wins over the total the server announces.
// - Speed counts only the bytes moved in this session (a resumed transfer
//   starts at its resume position). The remaining time is taken from the
//   gauge's value of the previous tick.
// - Times are written H:MM:SS ("0:00:04"); 24 hours or more keep counting
//   hours ("27:03:09").
// - The gauge names the file by ShortLocalName(LocalFile).

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <optional>

#include "engine/FtpTypes.h"

class TMFtpFileInfoList;

namespace queue {

// What the display reads from the engine at each event and tick.
struct TransferSample
{
    TMFtpOperation operation = opNone;
    qint64 bytesTransferred = 0;
    qint64 resumePosition = 0;
    QString localFile;
    // Download only: the size of the remote file in the current listing (see
    // ListingFileSize); empty when the listing has no numeric size for it.
    std::optional<qint64> listingSize;
};

// What the status bar shows.
struct ProgressView
{
    // Layout: false = the text panel fills the bar, gauge and speed panel are
    // hidden; true = text panel left (190 px), gauge fills the rest, speed
    // panel visible.
    bool transferring = false;
    QString statusText;   // "已用：0:00:04 剩余：0:00:04", "正在传送..." or "完成"
    qint64 gaugeMaximum = 0;
    qint64 gaugeValue = 0;
    QString gaugeText;    // "↓name " or "↑name " (the percentage is drawn after it)
    QString speedText;    // "251384(36.54 KB/秒)"

    bool showsPercentage() const { return gaugeMaximum > 0; }
    // gaugeValue / gaugeMaximum in thousandths, 0..1000; 0 without a maximum.
    int permille() const;
};

// On Linux there are no 8.3 short names: the file's last path component.
QString ShortLocalName(const QString &path);

// The size column of the first entry of `files` named `remoteFile` (ignoring
// case), read as a non-negative decimal number; empty when there is no such
// entry or its size is not a number.
std::optional<qint64> ListingFileSize(const TMFtpFileInfoList &files, QByteArrayView remoteFile);

class TTransferProgress
{
public:
    // infoTransferTotal: `total` is the engine's announced byte count. Sets the
    // gauge's maximum, clears the gauge and the speed; a download starts the
    // clock unless it already runs.
    void ShowTransferStart(const QString &total, const TransferSample &s, qint64 nowMs);
    // infoUploadProgress: starts the clock unless it already runs.
    void ShowTransferProgress(qint64 nowMs);
    // infoTransferEnd (also after a stop): clock off, layout at rest,
    // "正在传送..." / "正在傳送...".
    void ShowTransferEnd(bool simplified);
    // A progress timer tick. Does nothing while the clock is off.
    void Tick(const TransferSample &s, qint64 nowMs);
    // End of a transfer run: clock off, layout at rest, "完成".
    void Finish();

    // Whether the owner's progress timer should run.
    bool timerActive() const { return timerActive_; }
    const ProgressView &view() const { return view_; }

private:
    ProgressView view_;
    bool timerActive_ = false;
    qint64 startMs_ = 0;
    double speed_ = 0; // KB per second
};

} // namespace queue
