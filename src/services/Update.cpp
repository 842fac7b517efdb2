#include "services/Update.h"

#include "services/ConnectionState.h"
#include "services/ServiceConfig.h"
#include "ui/Language.h"
#include "ui/MessageBoxes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QVBoxLayout>

namespace services {
namespace {

struct Text
{
    const char *simplified;
    const char *traditional;
    QString get() const { return ui::pick(simplified, traditional); }
};

const Text Caption = {"智能升级", "智能升級"};
const Text StepLabels[TUpdateForm::StepCount] = {
    {"第一步：", "第一步："}, {"第二步：", "第二步："}, {"第三步：", "第三步："}, {"第四步：", "第四步："}};
const Text StepNames[TUpdateForm::StepCount] = {
    {"检测网络配置", "檢測網絡配置"},
    {"获取升级信息", "獲取升級信息"},
    {"获取升级文件", "獲取升級文件"},
    {"启动升级程序", "啓動升級程序"}};
const Text StepRunning[TUpdateForm::StepCount] = {
    {"正在检测网络配置...", "正在檢測網絡配置..."},
    {"正在获取升级信息...", "正在獲取升級信息..."},
    {"正在获取升级文件...", "正在獲取升級文件..."},
    {"启动升级程序...", "啓動升級程序..."}};
const Text StepDone[3] = {
    {"检测网络配置...成功√", "檢測網絡配置...成功√"},
    {"获取升级信息...成功√", "獲取升級信息...成功√"},
    {"获取升级文件...成功√", "獲取升級文件...成功√"}};
const Text StartCaption = {"开  始", "開  始"};
const Text CancelCaption = {"取  消", "取  消"};

const Text MsgNoConnection = {"   连接到网络错误，请检查本地网络设置。", "   連接到網絡錯误，請檢查本地網絡設置。"};
const Text MsgNewVersion = {"   获取升级信息完成，发现有更新文件，是否现在升级？",
                            "   獲取升級信息完成，發現有更新文件，是否現在升級？"};
const Text MsgNoNewVersion = {"   获取升级信息完成，但是没有更新文件。", "   獲取升級信息完成，但是沒有更新文件。"};
const Text MsgDescriptionFailed = {"   获取升级信息失败！请稍后再试。", "   獲取升級信息失敗！請稍後再試。"};
const Text MsgComplete = {"   完成升级，单击确定将自动重新启动程序。", "   完成升級，單擊確定將自動重新啓動程序。"};
const Text MsgSizeWrong = {"   下载更新文件错误，请重试。", "   下載更新文件錯误，请重试。"};
const Text MsgHostUnreachable = {"   计算机不能连接到升级服务器，请稍后再试。", "   計算機不能連接到升級服務器，請稍後再試。"};
const Text MsgTimeOut = {"   计算机连接服务器超时，请稍后再试。", "   計算機連接服務器超時，請稍後再試。"};
const Text MsgHttpError = {"   计算机连接服务器错误，请稍后再试。", "   計算機連接服務器錯誤，請稍後再試。"};
const Text MsgChecksumWrong = {"   更新文件校验错误（SHA-256 不符），程序未被替换，请重试。",
                               "   更新文件校驗錯誤（SHA-256 不符），程序未被替換，請重試。"};
const Text MsgChecksumMissing = {"   升级信息中没有更新文件的校验值（SHA256），不能通过不加密的连接升级。",
                                 "   升級信息中沒有更新文件的校驗值（SHA256），不能通過不加密的連接升級。"};
const Text MsgNotExecutable = {"   下载的更新文件不是本系统可以运行的程序，程序未被替换。",
                               "   下載的更新文件不是本系統可以運行的程序，程序未被替換。"};
const Text MsgCannotReplace = {"   没有修改程序文件的权限，不能升级。请以有权限的用户运行升级。",
                               "   沒有修改程序文件的權限，不能升級。請以有權限的用戶運行升級。"};
const Text MsgWriteFailed = {"   不能保存更新文件，请检查磁盘空间和文件夹权限。",
                             "   不能保存更新文件，請檢查磁盤空間和文件夾權限。"};
const Text MsgScriptFailed = {"   不能启动升级程序，程序未被替换。", "   不能啓動升級程序，程序未被替換。"};

} // namespace

TUpdateForm::TUpdateForm(const UpdateEnvironment &environment, QWidget *parent)
    : QDialog(parent), env_(environment), http_(new THttpClient(this))
{
    setObjectName(QStringLiteral("TUpdateForm"));
    setModal(true);
    if (env_.reference.isEmpty())
        env_.reference = env_.programFile;
    // The bars carry their step's text: room for it in every skin.
    setStyleSheet(QStringLiteral("QProgressBar { min-height: 18px; max-height: 18px; text-align: center; }"));

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    for (int i = 0; i < StepCount; ++i) {
        labels_[i] = new QLabel(this);
        labels_[i]->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        bars_[i] = new QProgressBar(this);
        bars_[i]->setObjectName(QStringLiteral("ProgressBar%1").arg(i + 1));
        bars_[i]->setRange(0, 100);
        bars_[i]->setTextVisible(true);
        grid->addWidget(labels_[i], i, 0);
        grid->addWidget(bars_[i], i, 1);
    }
    grid->setColumnStretch(1, 1);

    start_ = new QPushButton(this);
    start_->setObjectName(QStringLiteral("StartButton"));
    start_->setDefault(true);
    cancel_ = new QPushButton(this);
    cancel_->setObjectName(QStringLiteral("CancelButton"));
    cancel_->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(start_);
    buttons->addWidget(cancel_);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(14, 12, 14, 10);
    column->addLayout(grid);
    column->addStretch(1);
    column->addLayout(buttons);

    connect(start_, &QPushButton::clicked, this, &TUpdateForm::StartClick);
    connect(cancel_, &QPushButton::clicked, this, &TUpdateForm::CancelClick);
    connect(http_, &THttpClient::finished, this, &TUpdateForm::onFinished);
    connect(http_, &THttpClient::progress, this, &TUpdateForm::onProgress);
    SetTexts();
    resize(ClientWidth, ClientHeight);
}

TUpdateForm::~TUpdateForm()
{
    if (stage_ == Stage::Program) {
        http_->disconnect(this);
        http_->Abort();
        discardDownload();
    }
}

QString TUpdateForm::versionFile() const
{
    return QDir(env_.dataFolder).filePath(QLatin1String(VersionFileName));
}

void TUpdateForm::SetTexts()
{
    setWindowTitle(Caption.get());
    for (int i = 0; i < StepCount; ++i)
        labels_[i]->setText(StepLabels[i].get());
    start_->setText(StartCaption.get());
    cancel_->setText(CancelCaption.get());
    Reset();
}

void TUpdateForm::setBar(int step, int value, const QString &text, bool percent)
{
    bars_[step]->setValue(value);
    // '%' of a name must not be read as a placeholder.
    QString format = text;
    format.replace(QLatin1Char('%'), QLatin1String("%%"));
    bars_[step]->setFormat(percent ? format + QLatin1String(" %p%") : format);
}

void TUpdateForm::Reset()
{
    for (int i = 0; i < StepCount; ++i)
        setBar(i, 0, StepNames[i].get());
    start_->setEnabled(true);
    stage_ = Stage::Idle;
}

void TUpdateForm::StartClick()
{
    if (stage_ != Stage::Idle || http_->Busy())
        return;
    start_->setEnabled(false);
    setBar(0, 0, StepRunning[0].get());
    const QUrl url = ServiceUrl(env_.serviceBase, VersionPath);
    if (!InternetConnected(url)) {
        Reset();
        ui::ShowError(this, MsgNoConnection.get());
        return;
    }
    setBar(0, 100, StepDone[0].get());
    setBar(1, 0, StepRunning[1].get());
    stage_ = Stage::Description;
    if (!http_->Get(url, MaxDescriptionBytes))
        Reset();
}

void TUpdateForm::CancelClick()
{
    reject();
}

void TUpdateForm::reject()
{
    const bool downloading = stage_ == Stage::Program;
    stage_ = Stage::Idle;
    http_->Abort();
    if (downloading)
        discardDownload();
    QDialog::reject();
}

void TUpdateForm::onProgress(int percent)
{
    if (stage_ == Stage::Description)
        bars_[1]->setValue(percent);
    else if (stage_ == Stage::Program)
        setBar(2, percent, StepRunning[2].get(), true);
}

void TUpdateForm::onFinished(HttpOutcome outcome)
{
    if (outcome == HttpOutcome::Aborted)
        return;
    if (stage_ == Stage::Description)
        descriptionArrived(outcome);
    else if (stage_ == Stage::Program)
        programArrived(outcome);
}

void TUpdateForm::transferFailed(HttpOutcome outcome)
{
    Reset();
    switch (outcome) {
    case HttpOutcome::HostUnreachable: ui::ShowError(this, MsgHostUnreachable.get()); break;
    case HttpOutcome::TimeOut: ui::ShowError(this, MsgTimeOut.get()); break;
    case HttpOutcome::WriteFailed: ui::ShowError(this, MsgWriteFailed.get()); break;
    default: ui::ShowError(this, MsgHttpError.get()); break;
    }
}

void TUpdateForm::descriptionArrived(HttpOutcome outcome)
{
    if (outcome != HttpOutcome::Done && outcome != HttpOutcome::TooLarge && outcome != HttpOutcome::Truncated) {
        transferFailed(outcome);
        return;
    }
    setBar(1, 100, StepDone[1].get());
    bool saved = false;
    if (outcome == HttpOutcome::Done) {
        QSaveFile file(versionFile());
        saved = file.open(QIODevice::WriteOnly) && file.write(http_->body()) == http_->body().size() && file.commit();
    }
    VersionDescription description;
    if (!saved || !ReadVersionDescription(versionFile(), &description)) {
        Reset();
        ui::ShowError(this, (outcome == HttpOutcome::Done && !saved ? MsgWriteFailed : MsgDescriptionFailed).get());
        done(Rejected);
        return;
    }
    if (!IsNewVersion(description)) {
        stage_ = Stage::Idle;
        ui::ShowInformation(this, MsgNoNewVersion.get());
        done(Accepted);
        return;
    }
    if (CheckDescription(description, env_.serviceBase) != DescriptionProblem::None) {
        Reset();
        ui::ShowError(this, MsgDescriptionFailed.get());
        done(Rejected);
        return;
    }
    description_ = description;
    if (!ui::Confirm(this, MsgNewVersion.get())) {
        stage_ = Stage::Idle;
        done(Rejected);
        return;
    }
    startDownload();
}

void TUpdateForm::startDownload()
{
    if (!CanReplaceProgram(env_.programFile)) {
        Reset();
        ui::ShowError(this, MsgCannotReplace.get());
        done(Rejected);
        return;
    }
    QRandomGenerator *random = random_ ? random_ : QRandomGenerator::global();
    source_ = PickDownloadAddress(DownloadAddresses(description_, env_.serviceBase), *random);
    if (description_.sha256.isEmpty() && checksumRequired()) {
        Reset();
        ui::ShowError(this, MsgChecksumMissing.get());
        done(Rejected);
        return;
    }
    const QString target = DownloadTargetFor(env_.programFile);
    QFile::remove(target); // a link left there would be written through
    stage_ = Stage::Program;
    setBar(2, 0, StepRunning[2].get(), true);
    if (!http_->GetToFile(source_, target, description_.fileSize, description_.fileSize))
        Reset();
}

bool TUpdateForm::checksumRequired() const
{
    return ChecksumRequired(ServiceUrl(env_.serviceBase, VersionPath), source_);
}

void TUpdateForm::discardDownload()
{
    QFile::remove(DownloadTargetFor(env_.programFile));
}

void TUpdateForm::programArrived(HttpOutcome outcome)
{
    if (outcome == HttpOutcome::Truncated || outcome == HttpOutcome::TooLarge) {
        stage_ = Stage::Idle;
        discardDownload();
        Reset();
        ui::ShowError(this, MsgSizeWrong.get());
        done(Rejected);
        return;
    }
    if (outcome != HttpOutcome::Done) {
        discardDownload();
        transferFailed(outcome);
        return;
    }
    installDownload();
}

void TUpdateForm::installDownload()
{
    stage_ = Stage::Idle;
    const QString target = DownloadTargetFor(env_.programFile);
    const auto refuse = [this](const Text &message) {
        discardDownload();
        Reset();
        ui::ShowError(this, message.get());
        done(Rejected);
    };
    switch (VerifyDownload(target, description_, checksumRequired(), env_.reference)) {
    case DownloadVerdict::Ok: break;
    case DownloadVerdict::SizeWrong: refuse(MsgSizeWrong); return;
    case DownloadVerdict::ChecksumWrong: refuse(MsgChecksumWrong); return;
    case DownloadVerdict::ChecksumMissing: refuse(MsgChecksumMissing); return;
    case DownloadVerdict::NotExecutable: refuse(MsgNotExecutable); return;
    }
    setBar(2, 100, StepDone[2].get());
    setBar(3, 100, StepRunning[3].get());

    // The new file gets the old one's permissions (at least runnable by its owner).
    const QFileDevice::Permissions permissions =
        QFile::permissions(env_.programFile) | QFileDevice::ReadOwner | QFileDevice::ExeOwner;
    const QString script = ScriptPathFor(env_.programFile);
    QFile::remove(script);
    if (!QFile::setPermissions(target, permissions)
        || !WriteReplacementScript(script, ReplacementScript(env_.programFile, target, script, env_.pid))) {
        refuse(MsgScriptFailed);
        return;
    }
    ui::ShowInformation(this, MsgComplete.get());
    const bool started = launcher_ ? launcher_(script) : StartReplacementScript(script);
    if (!started) {
        QFile::remove(script);
        refuse(MsgScriptFailed);
        return;
    }
    done(Accepted);
    emit replacementStarted();
}

} // namespace services
