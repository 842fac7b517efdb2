#include "ui/ShellInfo.h"

#include "ui/Icons.h"

#include <QHash>
#include <QMimeDatabase>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace ui {
namespace {

enum class FileKind { Other, Text, Image, Audio, Video, Archive, Program, Document };

FileKind KindOf(QStringView extension)
{
    if (extension.isEmpty())
        return FileKind::Other;
    static const QMimeDatabase db;
    const QMimeType mime = db.mimeTypeForFile(QLatin1String("x.") + extension.toString(), QMimeDatabase::MatchExtension);
    const QString name = mime.name();
    if (name.startsWith(QLatin1String("image/")))
        return FileKind::Image;
    if (name.startsWith(QLatin1String("audio/")))
        return FileKind::Audio;
    if (name.startsWith(QLatin1String("video/")))
        return FileKind::Video;
    auto is = [&](const char *type) { return mime.inherits(QLatin1String(type)); };
    if (is("application/x-executable") || is("application/x-msdownload") || is("application/x-shellscript")
        || is("application/x-ms-dos-executable") || is("application/vnd.microsoft.portable-executable")
        || is("application/x-sharedlib"))
        return FileKind::Program;
    if (is("application/zip") || is("application/x-tar") || is("application/gzip") || is("application/x-7z-compressed")
        || is("application/vnd.rar") || is("application/x-rar") || is("application/x-bzip2") || is("application/x-xz")
        || is("application/x-compressed-tar") || is("application/x-cd-image") || is("application/x-archive"))
        return FileKind::Archive;
    if (is("application/pdf") || name.startsWith(QLatin1String("application/vnd.oasis"))
        || name.startsWith(QLatin1String("application/vnd.openxmlformats")) || name.startsWith(QLatin1String("application/msword"))
        || name.startsWith(QLatin1String("application/vnd.ms-")))
        return FileKind::Document;
    if (name.startsWith(QLatin1String("text/")) || is("text/plain"))
        return FileKind::Text;
    return FileKind::Other;
}

const QColor Outline(0x2d, 0x34, 0x3e);

QColor BandColour(FileKind kind)
{
    switch (kind) {
    case FileKind::Text: return QColor(0x8a, 0x94, 0xa3);
    case FileKind::Image: return QColor(0x2f, 0xa8, 0x4f);
    case FileKind::Audio: return QColor(0x9b, 0x59, 0xb6);
    case FileKind::Video: return QColor(0xd9, 0x3b, 0x30);
    case FileKind::Archive: return QColor(0xd8, 0x9a, 0x1e);
    case FileKind::Program: return QColor(0x2f, 0x6f, 0x6b);
    case FileKind::Document: return QColor(0x2f, 0x7d, 0xe1);
    case FileKind::Other: break;
    }
    return QColor(0xc4, 0xca, 0xd3);
}

// A sheet with a folded corner and a coloured band that tells the kind.
QPixmap RenderFile(FileKind kind, int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    const QRectF r(2.5, 0.5, 11, 15);
    const qreal fold = 3.5;
    QPainterPath sheet;
    sheet.moveTo(r.left(), r.top());
    sheet.lineTo(r.right() - fold, r.top());
    sheet.lineTo(r.right(), r.top() + fold);
    sheet.lineTo(r.right(), r.bottom());
    sheet.lineTo(r.left(), r.bottom());
    sheet.closeSubpath();
    p.setPen(QPen(Outline, 0.8));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.setPen(Qt::NoPen);
    p.setBrush(BandColour(kind));
    p.drawRect(QRectF(r.left() + 0.4, 9.5, r.width() - 0.8, 4.5));
    p.setPen(QPen(QColor(0xb0, 0xb8, 0xc2), 0.8));
    for (qreal y = 3.5; y < 8.5; y += 2)
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2.5, y));
    return pm;
}

QIcon FileIcon(FileKind kind)
{
    static QHash<int, QIcon> icons;
    auto it = icons.find(int(kind));
    if (it == icons.end()) {
        QIcon icon;
        for (int size : {16, 32})
            icon.addPixmap(RenderFile(kind, size));
        it = icons.insert(int(kind), icon);
    }
    return *it;
}

} // namespace

QStringView FileExtension(QStringView fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || dot == fileName.size() - 1)
        return {};
    return fileName.sliced(dot + 1);
}

QString ShellFileTypeName(QStringView extension, ShellLanguage language)
{
    if (extension.isEmpty())
        return language == ShellLanguage::English ? QStringLiteral("File") : QString::fromUtf8("文件");
    return extension.toString().toUpper()
        + (language == ShellLanguage::English ? QStringLiteral(" File") : QString::fromUtf8(" 文件"));
}

QString ShellFolderTypeName(ShellLanguage language)
{
    switch (language) {
    case ShellLanguage::Simplified: return QString::fromUtf8("文件夹");
    case ShellLanguage::Traditional: return QString::fromUtf8("文件夾");
    case ShellLanguage::English: break;
    }
    return QStringLiteral("Folder");
}

QIcon ShellFileIcon(QStringView extension)
{
    static QHash<QString, QIcon> byExtension;
    const QString key = extension.toString().toLower();
    auto it = byExtension.constFind(key);
    if (it != byExtension.constEnd())
        return *it;
    return *byExtension.insert(key, FileIcon(KindOf(key)));
}

QIcon ShellFolderIcon()
{
    static const QIcon icon = glyphIcon(Glyph::Folder);
    return icon;
}

QIcon ShellLinkIcon(const QIcon &base)
{
    QIcon icon;
    for (int size : {16, 32}) {
        QPixmap pm = base.pixmap(size, size);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal s = size / 16.0;
        p.scale(s, s);
        p.setPen(QPen(Outline, 0.8));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(0.5, 9.5, 6, 6));
        QPainterPath arrow;
        arrow.moveTo(2, 14);
        arrow.lineTo(2, 12.5);
        arrow.quadTo(2, 11.5, 3.5, 11.5);
        arrow.lineTo(4, 11.5);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0x2f, 0x7d, 0xe1), 1.2));
        p.drawPath(arrow);
        p.drawLine(QPointF(3.4, 10.3), QPointF(5, 11.5));
        p.drawLine(QPointF(3.4, 12.7), QPointF(5, 11.5));
        icon.addPixmap(pm);
    }
    return icon;
}

} // namespace ui
