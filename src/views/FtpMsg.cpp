#include "views/FtpMsg.h"

#include <QApplication>
#include <QClipboard>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace views {
namespace {

const QChar FieldEnd(0x300E); // 『

class LineDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const StoredLineFields f = parseStoredLine(index.data(Qt::UserRole).toString());
        QStyleOptionViewItem opt(option);
        initStyleOption(&opt, index);
        opt.text.clear();
        const QWidget *w = option.widget;
        (w ? w->style() : QApplication::style())->drawControl(QStyle::CE_ItemViewItem, &opt, painter, w);
        if (f.text.isEmpty())
            return;
        const bool emphasised = (option.state & QStyle::State_Selected) || (option.state & QStyle::State_HasFocus);
        painter->save();
        painter->setPen(emphasised ? QColor(Qt::black) : colourFromName(f.colourName));
        painter->setFont(option.font);
        const QRect r = option.rect.adjusted(2 + f.indent, 0, 0, 0);
        painter->drawText(r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, f.text);
        painter->restore();
    }
};

} // namespace

StoredLineFields parseStoredLine(const QString &stored)
{
    StoredLineFields f;
    const QStringList parts = stored.split(FieldEnd);
    if (parts.size() < 3)
        return f;
    f.colourName = parts.at(0);
    f.indent = parts.at(1).toInt();
    f.text = parts.at(2);
    return f;
}

QString makeStoredLine(const QString &colourName, int indent, const QString &text)
{
    return colourName + FieldEnd + QString::number(indent) + FieldEnd + text + FieldEnd;
}

QColor colourFromName(const QString &name)
{
    if (name == QLatin1String("clGreen"))
        return QColor(0, 128, 0);
    if (name == QLatin1String("clBlue"))
        return QColor(0, 0, 255);
    if (name == QLatin1String("clRed"))
        return QColor(255, 0, 0);
    return QColor(0, 0, 0);
}

TMFtpMessenger::TMFtpMessenger(QWidget *parent) : QListWidget(parent)
{
    setObjectName(QStringLiteral("MFtpMessenger1"));
    setItemDelegate(new LineDelegate(this));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true);
    setMouseTracking(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setStyle(msgClassic);
}

void TMFtpMessenger::setStyle(TMessengerStyle style)
{
    style_ = style;
    QFont f = font();
    f.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Micro Hei"),
                   QStringLiteral("Noto Sans CJK SC")});
    setFont(f);
}

int TMFtpMessenger::prefixWidth() const
{
    const QString sample = language_ == MLEnglish ? QString(12, QLatin1Char(' ')) : QStringLiteral("【回复】");
    return fontMetrics().horizontalAdvance(sample);
}

void TMFtpMessenger::AddMessage(const QString &text, TMessageKind kind)
{
    if (text.trimmed().isEmpty() || style_ != msgClassic)
        return;
    const int indent = prefixWidth();
    const QString s = messagePrefix(kind, language_) + text;
    static const QString crlf = QStringLiteral("\r\n");
    if (!s.contains(crlf)) {
        addLine(kind, 0, s);
        return;
    }
    const QStringList parts = s.split(crlf);
    addLine(kind, 0, parts.first());
    // The part after the last CR LF is not a finished line and is dropped.
    for (qsizetype i = 1; i + 1 < parts.size(); ++i)
        addLine(kind, indent, parts.at(i));
}

void TMFtpMessenger::addLine(TMessageKind kind, int indent, const QString &text)
{
    if (text.trimmed().isEmpty())
        return;
    if (kind == mkCommand && count() > MaxLines)
        clear();
    const QString shown = language_ == MLEnglish ? text : TranslateLogLine(text, kind, language_);
    const QString stored = makeStoredLine(kindColourName(kind), indent, shown);
    if (logEnabled_) {
        auto *item = new QListWidgetItem;
        item->setData(Qt::UserRole, stored);
        addItem(item);
    }
    if (autoScroll_)
        scrollToBottom();
}

QString TMFtpMessenger::StoredLine(int index) const
{
    const QListWidgetItem *it = (index >= 0 && index < count()) ? item(index) : nullptr;
    return it ? it->data(Qt::UserRole).toString() : QString();
}

QString TMFtpMessenger::LineText(int index) const
{
    return parseStoredLine(StoredLine(index)).text;
}

int TMFtpMessenger::LineIndent(int index) const
{
    return parseStoredLine(StoredLine(index)).indent;
}

QColor TMFtpMessenger::LineColour(int index) const
{
    return colourFromName(parseStoredLine(StoredLine(index)).colourName);
}

QString TMFtpMessenger::collect(bool selectedOnly) const
{
    QString out;
    for (int i = 0; i < count(); ++i)
        if (!selectedOnly || item(i)->isSelected())
            out += LineText(i) + QStringLiteral("\r\n");
    return out;
}

void TMFtpMessenger::CopySelectedToClipboard() const
{
    const QString text = collect(true);
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

void TMFtpMessenger::CopyAllToClipboard() const
{
    const QString text = collect(false);
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

bool TMFtpMessenger::event(QEvent *e)
{
    if (e->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(e);
        const QModelIndex idx = indexAt(viewport()->mapFromGlobal(help->globalPos()));
        if (idx.isValid()) {
            const StoredLineFields f = parseStoredLine(StoredLine(idx.row()));
            if (fontMetrics().horizontalAdvance(f.text) > width() - HintMargin) {
                const QPoint at = viewport()->mapToGlobal(visualRect(idx).topLeft());
                QToolTip::showText(at, f.text, this, QRect(), HintTimeoutMs);
                return true;
            }
        }
    }
    return QListWidget::event(e);
}

void TMFtpMessenger::mouseMoveEvent(QMouseEvent *e)
{
    const int row = indexAt(e->position().toPoint()).row();
    if (row != hoverRow_) {
        hoverRow_ = row;
        QToolTip::hideText();
    }
    QListWidget::mouseMoveEvent(e);
}

void TMFtpMessenger::keyPressEvent(QKeyEvent *e)
{
    if (e->matches(QKeySequence::Copy) || e->matches(QKeySequence::Cut)) {
        CopySelectedToClipboard();
        return;
    }
    QListWidget::keyPressEvent(e);
}

} // namespace views
