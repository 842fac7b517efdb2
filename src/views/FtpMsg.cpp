#include "views/FtpMsg.h"

#include <QApplication>
#include <QClipboard>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolTip>

#include <algorithm>

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

int LogLineModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(published_);
}

QVariant LogLineModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= published_)
        return {};
    if (role == Qt::UserRole)
        return lines_.at(index.row());
    if (role == Qt::DisplayRole)
        return parseStoredLine(lines_.at(index.row())).text;
    return {};
}

void LogLineModel::publish()
{
    if (published_ >= lines_.size())
        return;
    beginInsertRows(QModelIndex(), int(published_), int(lines_.size()) - 1);
    published_ = lines_.size();
    endInsertRows();
}

void LogLineModel::clear()
{
    beginResetModel();
    lines_.clear();
    published_ = 0;
    endResetModel();
}

TMFtpMessenger::TMFtpMessenger(QWidget *parent) : QListView(parent), lines_(new LogLineModel(this))
{
    setObjectName(QStringLiteral("MFtpMessenger1"));
    setModel(lines_);
    setItemDelegate(new LineDelegate(this));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true);
    setMouseTracking(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setStyle(msgClassic);
    batchTimer_.setSingleShot(true);
    batchTimer_.setInterval(PublishDelayMs);
    connect(&batchTimer_, &QTimer::timeout, this, &TMFtpMessenger::publishLines);
}

TMFtpMessenger::~TMFtpMessenger()
{
    detachClient();
}

void TMFtpMessenger::scheduleBatch()
{
    if (!batchTimer_.isActive())
        batchTimer_.start();
}

void TMFtpMessenger::publishLines()
{
    batchTimer_.stop();
    lines_->publish();
    if (autoScroll_)
        scrollToBottom();
}

void TMFtpMessenger::clear()
{
    batchTimer_.stop();
    lines_->clear();
}

void TMFtpMessenger::setLineSelected(int index, bool selected)
{
    publishLines();
    const QModelIndex idx = lines_->index(index);
    if (idx.isValid())
        selectionModel()->select(idx, selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

bool TMFtpMessenger::hasSelectedLines() const
{
    return selectionModel()->hasSelection();
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
    if (count() > (kind == mkCommand ? MaxLines : FloodLines))
        clear();
    const QString shown = language_ == MLEnglish ? text : TranslateLogLine(text, kind, language_);
    const QString stored = makeStoredLine(kindColourName(kind), indent, shown);
    if (logEnabled_)
        lines_->append(stored);
    // Also without a new line: the view is brought to the bottom in the next
    // batch.
    scheduleBatch();
}

QString TMFtpMessenger::StoredLine(int index) const
{
    return index >= 0 && index < count() ? lines_->line(index) : QString();
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
    if (selectedOnly) {
        QModelIndexList rows = selectionModel()->selectedIndexes();
        std::sort(rows.begin(), rows.end(), [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
        for (const QModelIndex &row : rows)
            out += LineText(row.row()) + QStringLiteral("\r\n");
        return out;
    }
    for (int i = 0; i < count(); ++i)
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
    return QListView::event(e);
}

void TMFtpMessenger::mouseMoveEvent(QMouseEvent *e)
{
    const int row = indexAt(e->position().toPoint()).row();
    if (row != hoverRow_) {
        hoverRow_ = row;
        QToolTip::hideText();
    }
    QListView::mouseMoveEvent(e);
}

void TMFtpMessenger::keyPressEvent(QKeyEvent *e)
{
    if (e->matches(QKeySequence::Copy) || e->matches(QKeySequence::Cut)) {
        CopySelectedToClipboard();
        return;
    }
    QListView::keyPressEvent(e);
}

} // namespace views
