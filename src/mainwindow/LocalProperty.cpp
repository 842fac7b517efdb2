#include "mainwindow/LocalProperty.h"

#include "ui/Language.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mainwindow {
namespace {

// Lets long paths wrap at their slashes.
const QChar WrapPoint(0x200B);

QString wrappable(QString path)
{
    return path.replace(QLatin1Char('/'), QString(QLatin1Char('/')) + WrapPoint);
}

QString grouped(qint64 n)
{
    return QLocale(QLocale::Chinese, QLocale::China).toString(n);
}

QString typeName(const QFileInfo &info, const struct stat &st)
{
    if (S_ISLNK(st.st_mode))
        return ui::pick("符号链接", "符號連結");
    if (S_ISDIR(st.st_mode))
        return ui::pick("文件夹", "文件夾");
    const QString suffix = info.suffix().toUpper();
    return suffix.isEmpty() ? ui::pick("文件", "文件") : suffix + ui::pick(" 文件", " 文件");
}

QString contentsText(qint64 files, qint64 folders)
{
    return ui::pick("%1 个文件，%2 个文件夹", "%1 個文件，%2 個文件夾").arg(grouped(files), grouped(folders));
}

QString ownerText(const struct stat &st)
{
    const passwd *user = ::getpwuid(st.st_uid);
    const group *grp = ::getgrgid(st.st_gid);
    const QString u = user ? QString::fromLocal8Bit(user->pw_name) : QString::number(st.st_uid);
    const QString g = grp ? QString::fromLocal8Bit(grp->gr_name) : QString::number(st.st_gid);
    return u + QStringLiteral(" / ") + g;
}

QString timeText(const struct stat &st)
{
    return QDateTime::fromSecsSinceEpoch(st.st_mtim.tv_sec).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// What a link says, as written in it.
QString linkText(const QString &path)
{
    char buffer[4096];
    const ssize_t n = ::readlink(QFile::encodeName(path).constData(), buffer, sizeof buffer);
    return n < 0 ? QString() : QFile::decodeName(QByteArray(buffer, int(n)));
}

bool lstatOf(const QString &path, struct stat *st)
{
    return ::lstat(QFile::encodeName(path).constData(), st) == 0;
}

} // namespace

TreeMeasure measureTrees(const QStringList &paths, const std::atomic_bool &cancel)
{
    TreeMeasure m;
    QList<QByteArray> folders; // still to read; a list, not recursion, for deep trees
    for (const QString &path : paths) {
        struct stat st;
        const QByteArray name = QFile::encodeName(path);
        if (::lstat(name.constData(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            ++m.folders;
            folders << name;
        } else {
            ++m.files;
            m.bytes += st.st_size;
        }
    }
    while (!folders.isEmpty() && !cancel) {
        const QByteArray folder = folders.takeLast();
        DIR *dir = ::opendir(folder.constData());
        if (!dir)
            continue;
        const int fd = ::dirfd(dir);
        while (const dirent *entry = ::readdir(dir)) {
            if (qstrcmp(entry->d_name, ".") == 0 || qstrcmp(entry->d_name, "..") == 0)
                continue;
            struct stat st;
            if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            if (S_ISDIR(st.st_mode)) {
                ++m.folders;
                folders << folder + '/' + entry->d_name;
            } else {
                ++m.files;
                m.bytes += st.st_size;
            }
        }
        ::closedir(dir);
    }
    return m;
}

QString formatByteSize(qint64 bytes)
{
    const QString exact = grouped(bytes) + ui::pick(" 字节", " 字節");
    if (bytes < 1024)
        return exact;
    static const char *units[] = {"KB", "MB", "GB", "TB"};
    double value = double(bytes) / 1024.0;
    int unit = 0;
    while (value >= 1024.0 && unit < 3) {
        value /= 1024.0;
        ++unit;
    }
    return QString::number(value, 'f', 2) + QLatin1Char(' ') + QLatin1String(units[unit]) + QStringLiteral(" (")
        + exact + QLatin1Char(')');
}

QString permissionText(unsigned mode)
{
    QString text;
    text += S_ISDIR(mode) ? QLatin1Char('d') : S_ISLNK(mode) ? QLatin1Char('l') : QLatin1Char('-');
    const char letters[] = "rwxrwxrwx";
    for (int bit = 0; bit < 9; ++bit)
        text += (mode & (0400u >> bit)) ? QLatin1Char(letters[bit]) : QLatin1Char('-');
    return text + QStringLiteral(" (") + QString::number(mode & 0777, 8).rightJustified(3, QLatin1Char('0'))
        + QLatin1Char(')');
}

TLocalPropertyForm::TLocalPropertyForm(const QStringList &paths, QWidget *parent) : QDialog(parent), paths_(paths)
{
    setObjectName(QStringLiteral("TLocalPropertyForm"));
    setWindowTitle(ui::pick("属性", "屬性"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto *column = new QVBoxLayout(this);
    auto *head = new QHBoxLayout;
    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("IconLabel"));
    auto *name = new QLabel(this);
    name->setObjectName(QStringLiteral("Name"));
    name->setTextInteractionFlags(Qt::TextSelectableByMouse);
    name->setWordWrap(true);
    values_.insert(QStringLiteral("Name"), name);
    head->addWidget(icon, 0, Qt::AlignTop);
    head->addWidget(name, 1);
    column->addLayout(head);
    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    column->addWidget(line);
    grid_ = new QGridLayout;
    grid_->setColumnStretch(1, 1);
    grid_->setHorizontalSpacing(10);
    column->addLayout(grid_);
    column->addStretch(1);
    auto *buttons = new QHBoxLayout;
    close_ = new QPushButton(ui::pick("关  闭", "關  閉"), this);
    close_->setObjectName(QStringLiteral("CloseButton"));
    close_->setDefault(true);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addStretch(1);
    buttons->addWidget(close_);
    column->addLayout(buttons);
    setMinimumWidth(312);
    setMaximumWidth(520);

    // What can be said at once; folder sizes follow from the worker.
    QList<struct stat> stats;
    QStringList existing;
    for (const QString &p : paths) {
        struct stat st;
        if (lstatOf(p, &st)) {
            stats << st;
            existing << p;
        }
    }
    paths_ = existing;
    if (existing.isEmpty())
        return;
    QFileIconProvider icons;
    bool anyFolder = false;
    if (existing.size() == 1) {
        single_ = true;
        const QString path = existing.first();
        const QFileInfo info(path);
        const struct stat &st = stats.first();
        anyFolder = S_ISDIR(st.st_mode);
        icon->setPixmap(icons.icon(info).pixmap(32, 32));
        name->setText(info.fileName().isEmpty() ? path : info.fileName());
        addRow(QStringLiteral("Type"), ui::pick("类型：", "類型："), typeName(info, st));
        if (S_ISLNK(st.st_mode))
            addRow(QStringLiteral("Target"), ui::pick("目标：", "目標："), wrappable(linkText(path)));
        addRow(QStringLiteral("Location"), ui::pick("位置：", "位置："), wrappable(QDir::toNativeSeparators(info.absolutePath())));
        addRow(QStringLiteral("Size"), ui::pick("大小：", "大小："),
               anyFolder ? ui::pick("正在计算...", "正在計算...") : formatByteSize(st.st_size));
        if (anyFolder)
            addRow(QStringLiteral("Contents"), ui::pick("包含：", "包含："), ui::pick("正在计算...", "正在計算..."));
        addRow(QStringLiteral("Modified"), ui::pick("修改时间：", "修改時間："), timeText(st));
        addRow(QStringLiteral("Permissions"), ui::pick("权限：", "權限："), permissionText(st.st_mode));
        addRow(QStringLiteral("Owner"), ui::pick("所有者：", "所有者："), ownerText(st));
    } else {
        int folders = 0, files = 0;
        QString type, location;
        bool sameType = true, sameLocation = true;
        for (int i = 0; i < existing.size(); ++i) {
            const QFileInfo info(existing[i]);
            S_ISDIR(stats[i].st_mode) ? ++folders : ++files;
            const QString t = typeName(info, stats[i]);
            const QString l = info.absolutePath();
            if (i == 0) {
                type = t;
                location = l;
            }
            sameType = sameType && t == type;
            sameLocation = sameLocation && l == location;
        }
        anyFolder = folders > 0;
        icon->setPixmap(icons.icon(QFileIconProvider::File).pixmap(32, 32));
        name->setText(ui::pick("选择：%1 个文件夹,%2 个文件", "選擇：%1 個文件夾,%2 個文件").arg(folders).arg(files));
        addRow(QStringLiteral("Type"), ui::pick("类型：", "類型："), sameType ? type : ui::pick("多种类型", "多種類型"));
        addRow(QStringLiteral("Location"), ui::pick("位置：", "位置："),
               sameLocation ? wrappable(QDir::toNativeSeparators(location)) : ui::pick("多个位置", "多個位置"));
        addRow(QStringLiteral("Size"), ui::pick("大小：", "大小："), ui::pick("正在计算...", "正在計算..."));
        addRow(QStringLiteral("Contents"), ui::pick("包含：", "包含："), ui::pick("正在计算...", "正在計算..."));
    }
    if (!single_ || anyFolder) {
        measuring_ = true;
        const QStringList work = existing;
        worker_ = std::thread([this, work] {
            const TreeMeasure total = measureTrees(work, cancel_);
            QMetaObject::invokeMethod(this, [this, total] { measured(total); }, Qt::QueuedConnection);
        });
    }
}

TLocalPropertyForm::~TLocalPropertyForm()
{
    cancel_ = true;
    if (worker_.joinable())
        worker_.join();
}

void TLocalPropertyForm::addRow(const QString &key, const QString &caption, const QString &value)
{
    const int row = grid_->rowCount();
    auto *label = new QLabel(caption, this);
    label->setObjectName(key + QStringLiteral("Caption"));
    auto *text = new QLabel(value, this);
    text->setObjectName(key);
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid_->addWidget(label, row, 0, Qt::AlignTop | Qt::AlignLeft);
    grid_->addWidget(text, row, 1);
    values_.insert(key, text);
}

void TLocalPropertyForm::setRow(const QString &key, const QString &value)
{
    if (QLabel *label = values_.value(key))
        label->setText(value);
}

QString TLocalPropertyForm::rowText(const QString &row) const
{
    const QLabel *label = values_.value(row);
    return label ? label->text().remove(WrapPoint) : QString();
}

void TLocalPropertyForm::measured(const TreeMeasure &total)
{
    measuring_ = false;
    setRow(QStringLiteral("Size"), formatByteSize(total.bytes));
    // One folder: what it holds, itself left out.
    const qint64 folders = single_ ? total.folders - 1 : total.folders;
    setRow(QStringLiteral("Contents"), contentsText(total.files, folders));
}

} // namespace mainwindow
