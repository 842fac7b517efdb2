// TMainForm: the transfer progress display in the status bar, driven by the
// engine's transfer information and the 250 ms Timer1.
#include "mainwindow/Main.h"

#include "engine/TMFtp.h"
#include "queue/TransferProgress.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

#include <algorithm>

namespace mainwindow {
namespace {

constexpr int TimePanelWidth = 190;
constexpr int SpeedPanelWidth = 138;

qint64 nowMs()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}

queue::TransferSample sampleOf(const TMFtp &ftp)
{
    queue::TransferSample s;
    s.operation = ftp.Operation();
    s.bytesTransferred = ftp.BytesTransferred();
    s.resumePosition = ftp.ResumePosition();
    s.localFile = ftp.LocalFile();
    if (s.operation == opDownload)
        s.listingSize = queue::ListingFileSize(ftp.FileList(), ftp.RemoteFile());
    return s;
}

} // namespace

void TMainForm::onFtpInfo(FtpInfo info, const QString &text)
{
    switch (info) {
    case infoTransferTotal:
        progress_->ShowTransferStart(text, sampleOf(*mftp1_), nowMs());
        break;
    case infoUploadProgress:
        // Arrives with every burst of upload data: only the clock is started
        // here; the timer samples the rest.
        progress_->ShowTransferProgress(nowMs());
        break;
    case infoTransferEnd:
        progress_->ShowTransferEnd(useSimplified_);
        applyProgressView();
        break;
    default:
        return;
    }
    if (progress_->timerActive() && !timer1_->isActive())
        timer1_->start();
    else if (!progress_->timerActive() && timer1_->isActive())
        timer1_->stop();
}

void TMainForm::progressTick()
{
    progress_->Tick(sampleOf(*mftp1_), nowMs());
    applyProgressView();
    if (!progress_->timerActive())
        timer1_->stop();
}

void TMainForm::applyProgressView()
{
    const queue::ProgressView &view = progress_->view();
    statusPanel_->setText(view.statusText);
    if (view.transferring) {
        // Never narrower than the text: a cut-off time tells nothing.
        const int padding = 16;
        statusPanel_->setFixedWidth(
            std::max(TimePanelWidth, statusPanel_->fontMetrics().horizontalAdvance(view.statusText) + padding));
        progressPanel_->setRange(0, 1000);
        progressPanel_->setValue(view.permille());
        progressPanel_->setFormat(view.showsPercentage() ? view.gaugeText + QStringLiteral("%p%") : view.gaugeText);
        progressPanel_->show();
        speedPanel_->setFixedWidth(
            std::max(SpeedPanelWidth, speedPanel_->fontMetrics().horizontalAdvance(view.speedText) + padding));
        speedPanel_->setText(view.speedText);
        speedPanel_->show();
    } else {
        statusPanel_->setMinimumWidth(0);
        statusPanel_->setMaximumWidth(QWIDGETSIZE_MAX);
        progressPanel_->hide();
        speedPanel_->hide();
    }
}

void TMainForm::ShowRunFinished()
{
    timer1_->stop();
    progress_->Finish();
    applyProgressView();
    if (closeAfterRun_) {
        closeAfterRun_ = false;
        QTimer::singleShot(0, this, [this] { close(); });
    }
}

void TMainForm::StopProgressTimer()
{
    timer1_->stop();
}

void TMainForm::ShowTransferEnd()
{
    timer1_->stop();
    progress_->ShowTransferEnd(useSimplified_);
    applyProgressView();
}

} // namespace mainwindow
