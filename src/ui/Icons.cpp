#include "ui/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

// Outside the namespace: the macro declares a function of the global one.
static void initApplicationIconResources()
{
    Q_INIT_RESOURCE(appicon);
}

namespace ui {
namespace {

const QColor Outline(0x2d, 0x34, 0x3e);
const QColor FolderFill(0xf5, 0xc2, 0x4c);
const QColor FolderDark(0xd8, 0x9a, 0x1e);
const QColor PaperFill(0xff, 0xff, 0xff);
const QColor Blue(0x2f, 0x7d, 0xe1);
const QColor Green(0x2f, 0xa8, 0x4f);
const QColor Red(0xd9, 0x3b, 0x30);
const QColor Grey(0x8a, 0x94, 0xa3);

void folder(QPainter &p, QRectF r)
{
    QPainterPath path;
    path.moveTo(r.left(), r.top() + 1.5);
    path.lineTo(r.left() + r.width() * 0.4, r.top() + 1.5);
    path.lineTo(r.left() + r.width() * 0.5, r.top() + 3);
    path.lineTo(r.right(), r.top() + 3);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(Outline, 1));
    p.setBrush(FolderDark);
    p.drawPath(path);
    p.setBrush(FolderFill);
    p.drawRect(QRectF(r.left(), r.top() + 4.5, r.width(), r.height() - 4.5));
}

void sheet(QPainter &p, QRectF r, const QColor &fill = PaperFill)
{
    QPainterPath path;
    const qreal fold = 3;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(Outline, 1));
    p.setBrush(fill);
    p.drawPath(path);
    p.setPen(QPen(Grey, 1));
    for (qreal y = r.top() + 4; y < r.bottom() - 1; y += 2.5)
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

// A thick arrow pointing up (dy = -1) or down (dy = 1), centred at x.
void arrow(QPainter &p, qreal x, qreal top, qreal bottom, bool up, const QColor &fill)
{
    QPainterPath path;
    const qreal head = 4.5, shaft = 2;
    if (up) {
        path.moveTo(x, top);
        path.lineTo(x + head, top + head);
        path.lineTo(x + shaft, top + head);
        path.lineTo(x + shaft, bottom);
        path.lineTo(x - shaft, bottom);
        path.lineTo(x - shaft, top + head);
        path.lineTo(x - head, top + head);
    } else {
        path.moveTo(x, bottom);
        path.lineTo(x + head, bottom - head);
        path.lineTo(x + shaft, bottom - head);
        path.lineTo(x + shaft, top);
        path.lineTo(x - shaft, top);
        path.lineTo(x - shaft, bottom - head);
        path.lineTo(x - head, bottom - head);
    }
    path.closeSubpath();
    p.setPen(QPen(Outline, 1));
    p.setBrush(fill);
    p.drawPath(path);
}

void circularArrow(QPainter &p, const QColor &colour)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Outline, 3.6, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(QRectF(2.5, 2.5, 11, 11), 60 * 16, 270 * 16);
    p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(QRectF(2.5, 2.5, 11, 11), 60 * 16, 270 * 16);
    QPainterPath head;
    head.moveTo(9.2, 0.6);
    head.lineTo(13.8, 4.0);
    head.lineTo(8.6, 6.6);
    head.closeSubpath();
    p.setPen(QPen(Outline, 0.8));
    p.setBrush(colour);
    p.drawPath(head);
}

void plug(QPainter &p, const QColor &body)
{
    p.setPen(QPen(Outline, 1));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(3.5, 5.5, 7, 6), 1.5, 1.5);
    p.setBrush(Grey.darker(110));
    p.drawRect(QRectF(10.5, 6.5, 3.5, 1.2));
    p.drawRect(QRectF(10.5, 9.3, 3.5, 1.2));
    p.setPen(QPen(Outline, 1.6));
    p.drawLine(QPointF(3.5, 8.5), QPointF(0.8, 8.5));
}

void grid(QPainter &p, int cells, qreal cell, qreal gap)
{
    p.setPen(QPen(Outline, 1));
    for (int r = 0; r < cells; ++r)
        for (int c = 0; c < cells; ++c) {
            const QRectF box(1.5 + c * (cell + gap), 1.5 + r * (cell + gap), cell, cell);
            p.setBrush(Blue.lighter(120 + 10 * ((r + c) % 2)));
            p.drawRect(box);
        }
}

void paint(QPainter &p, Glyph g)
{
    switch (g) {
    case Glyph::Folder:
        folder(p, QRectF(1.5, 2.5, 13, 11));
        break;
    case Glyph::NewFolder:
        folder(p, QRectF(1.5, 3.5, 11, 10));
        p.setPen(QPen(Outline, 3.4, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(12.5, 0.5), QPointF(12.5, 7.5));
        p.drawLine(QPointF(9, 4), QPointF(16, 4));
        p.setPen(QPen(Green, 1.6, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(12.5, 1.2), QPointF(12.5, 6.8));
        p.drawLine(QPointF(9.7, 4), QPointF(15.3, 4));
        break;
    case Glyph::ViewFolder:
        folder(p, QRectF(1.5, 2.5, 11, 10));
        p.setPen(QPen(Outline, 1.2));
        p.setBrush(QColor(0xdd, 0xee, 0xff));
        p.drawEllipse(QRectF(7, 7, 6, 6));
        p.setPen(QPen(Outline, 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12.3, 12.3), QPointF(15, 15));
        break;
    case Glyph::GoUp:
        folder(p, QRectF(1.5, 5.5, 13, 9));
        arrow(p, 8, 0.5, 12, true, Green);
        break;
    case Glyph::Rename:
        p.setPen(QPen(Outline, 1));
        p.setBrush(PaperFill);
        p.drawRect(QRectF(0.5, 4.5, 15, 7));
        p.setPen(QPen(Blue, 1.6));
        p.drawLine(QPointF(3, 6.5), QPointF(3, 9.5));
        p.drawLine(QPointF(5, 6.5), QPointF(5, 9.5));
        p.setPen(QPen(Outline, 1.2));
        p.drawLine(QPointF(9.5, 2.5), QPointF(9.5, 13.5));
        p.drawLine(QPointF(8, 2.5), QPointF(11, 2.5));
        p.drawLine(QPointF(8, 13.5), QPointF(11, 13.5));
        break;
    case Glyph::Delete: {
        p.setPen(QPen(Outline, 4.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
        p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
        p.setPen(QPen(Red, 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
        p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
        break;
    }
    case Glyph::ViewMenu:
        grid(p, 2, 5, 2);
        break;
    case Glyph::LargeIcons:
        grid(p, 2, 5.5, 1.5);
        break;
    case Glyph::SmallIcons:
        grid(p, 3, 3.2, 1.3);
        break;
    case Glyph::List:
        p.setPen(QPen(Outline, 1));
        for (int col = 0; col < 2; ++col)
            for (int row = 0; row < 4; ++row) {
                const qreal x = 1 + col * 8, y = 1.5 + row * 3.6;
                p.setBrush(FolderFill);
                p.drawRect(QRectF(x, y, 2.2, 2.2));
                p.drawLine(QPointF(x + 3.5, y + 1.2), QPointF(x + 6.5, y + 1.2));
            }
        break;
    case Glyph::Report:
        p.setPen(QPen(Outline, 1));
        p.setBrush(PaperFill);
        p.drawRect(QRectF(0.5, 1.5, 15, 13));
        p.setBrush(Blue.lighter(130));
        p.drawRect(QRectF(0.5, 1.5, 15, 3));
        for (qreal y = 7; y < 14; y += 2.5)
            p.drawLine(QPointF(2, y), QPointF(14, y));
        p.drawLine(QPointF(7, 1.5), QPointF(7, 14.5));
        break;
    case Glyph::Cut:
        p.setPen(QPen(Outline, 1.3));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(4.5, 0.5), QPointF(10.5, 10));
        p.drawLine(QPointF(11.5, 0.5), QPointF(5.5, 10));
        p.setBrush(Red);
        p.drawEllipse(QRectF(1.5, 9.5, 5, 5));
        p.drawEllipse(QRectF(9.5, 9.5, 5, 5));
        p.setBrush(PaperFill);
        p.drawEllipse(QRectF(3, 11, 2, 2));
        p.drawEllipse(QRectF(11, 11, 2, 2));
        break;
    case Glyph::Copy:
        sheet(p, QRectF(1.5, 0.5, 9, 11));
        sheet(p, QRectF(5.5, 4.5, 9, 11), QColor(0xe8, 0xf1, 0xff));
        break;
    case Glyph::Paste:
        p.setPen(QPen(Outline, 1));
        p.setBrush(QColor(0xc8, 0x8a, 0x4a));
        p.drawRoundedRect(QRectF(1.5, 2.5, 10, 13), 1.5, 1.5);
        p.setBrush(Grey);
        p.drawRect(QRectF(4, 1, 5, 3));
        sheet(p, QRectF(6.5, 6.5, 8, 9));
        break;
    case Glyph::Upload:
        p.setPen(QPen(Outline, 1));
        p.setBrush(Grey.lighter(130));
        p.drawRect(QRectF(1.5, 12.5, 13, 2.5));
        arrow(p, 8, 0.5, 11.5, true, Blue);
        break;
    case Glyph::Download:
        p.setPen(QPen(Outline, 1));
        p.setBrush(Grey.lighter(130));
        p.drawRect(QRectF(1.5, 12.5, 13, 2.5));
        arrow(p, 8, 0.5, 11.5, false, Green);
        break;
    case Glyph::Refresh:
        circularArrow(p, Green);
        break;
    case Glyph::Reconnect:
        circularArrow(p, Blue);
        break;
    case Glyph::Connect:
        plug(p, Green);
        p.setPen(QPen(Outline, 1));
        p.setBrush(QColor(0xff, 0xd3, 0x3a));
        {
            QPainterPath bolt;
            bolt.moveTo(9, 0);
            bolt.lineTo(5, 5);
            bolt.lineTo(8, 5);
            bolt.lineTo(6, 9);
            bolt.lineTo(11, 3.5);
            bolt.lineTo(8, 3.5);
            bolt.closeSubpath();
            p.drawPath(bolt);
        }
        break;
    case Glyph::Disconnect:
        plug(p, Grey);
        p.setPen(QPen(Outline, 3.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(2, 14), QPointF(14, 2));
        p.setPen(QPen(Red, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(2, 14), QPointF(14, 2));
        break;
    case Glyph::Stop: {
        QPainterPath oct;
        const qreal a = 4.5, b = 11.5;
        oct.moveTo(a, 1);
        oct.lineTo(b, 1);
        oct.lineTo(15, a);
        oct.lineTo(15, b);
        oct.lineTo(b, 15);
        oct.lineTo(a, 15);
        oct.lineTo(1, b);
        oct.lineTo(1, a);
        oct.closeSubpath();
        p.setPen(QPen(Outline, 1));
        p.setBrush(Red);
        p.drawPath(oct);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 6.8, 8, 2.4));
        break;
    }
    case Glyph::Move: {
        sheet(p, QRectF(0.5, 0.5, 8, 10));
        QPainterPath path;
        path.moveTo(15.5, 11);
        path.lineTo(11, 6.5);
        path.lineTo(11, 9.3);
        path.lineTo(5, 9.3);
        path.lineTo(5, 12.7);
        path.lineTo(11, 12.7);
        path.lineTo(11, 15.5);
        path.closeSubpath();
        p.setPen(QPen(Outline, 1));
        p.setBrush(QColor(0xf0, 0x8c, 0x1e));
        p.drawPath(path);
        break;
    }
    case Glyph::Application: {
        p.setPen(QPen(Outline, 1));
        p.setBrush(QColor(0x2f, 0x6f, 0x6b));
        p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
        arrow(p, 5.2, 2.5, 13.5, true, QColor(0x7f, 0xd6, 0xc9));
        arrow(p, 10.8, 2.5, 13.5, false, FolderFill);
        break;
    }
    }
}

QPixmap render(Glyph g, int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    paint(p, g);
    return pm;
}

} // namespace

QIcon glyphIcon(Glyph glyph)
{
    QIcon icon;
    for (int size : {16, 24, 32, 48})
        icon.addPixmap(render(glyph, size));
    return icon;
}

QIcon applicationIcon()
{
    initApplicationIconResources();
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/appicon/%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace ui
