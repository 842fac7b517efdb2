// How the panes share the window: minimum sizes that keep the remote pane
// and its list usable in a small window, and tool bars whose buttons that do
// not fit are offered by an overflow button at the bar's end.
#include "mainwindow/Main.h"

#include "views/FtpListView.h"

#include <QCursor>
#include <QEvent>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWidgetAction>

namespace mainwindow {
namespace {

// The remote pane's least width: the name and size columns and most of its
// tool bar (the rest goes to the overflow menu). With the default local
// width of wide screens (448) a window of 800 pixels keeps both as they are.
constexpr int RemotePaneMinimumWidth = 320;

// The overflow of a tool bar whose buttons are widgets (the bar's own
// extension menu cannot take those): a "»" button in the room the bar keeps
// free at its end when it runs out of space, with a menu of the buttons the
// bar had to hide, each under its hint. Choosing one clicks that button, or
// opens its drop-down menu where the pointer is.
class ToolBarOverflow : public QObject
{
public:
    explicit ToolBarOverflow(QToolBar *bar) : QObject(bar), bar_(bar)
    {
        setObjectName(QStringLiteral("ToolBarOverflow"));
        button_ = new QToolButton(bar);
        button_->setObjectName(bar->objectName() + QStringLiteral("Overflow"));
        button_->setIcon(chevrons(bar->palette().color(QPalette::ButtonText)));
        button_->setIconSize(QSize(8, 9));
        button_->setAutoRaise(true);
        button_->setFocusPolicy(Qt::NoFocus);
        // Not a menu button: the skins keep room for a menu arrow on those,
        // which this narrow button does not have.
        menu_ = new QMenu(button_);
        menu_->setObjectName(button_->objectName() + QStringLiteral("Menu"));
        connect(button_, &QToolButton::clicked, this, [this] {
            fillMenu(menu_);
            menu_->popup(button_->mapToGlobal(QPoint(0, button_->height())));
        });
        button_->hide();
        bar->installEventFilter(this);
        schedule();
    }

    QToolButton *button() const { return button_; }

    // "»" drawn as two chevrons, independent of the font.
    static QIcon chevrons(const QColor &colour)
    {
        QPixmap pixmap(16, 18);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(colour, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        for (int x : {2, 9}) {
            const QPointF points[] = {{qreal(x), 4}, {qreal(x) + 5, 9}, {qreal(x), 14}};
            p.drawPolyline(points, 3);
        }
        p.end();
        pixmap.setDevicePixelRatio(2);
        return QIcon(pixmap);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Resize:
        case QEvent::LayoutRequest:
        case QEvent::Show:
        case QEvent::ActionChanged:
            schedule();
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    // The bar lays itself out first; look at the result afterwards.
    void schedule()
    {
        if (pending_)
            return;
        pending_ = true;
        QTimer::singleShot(0, this, [this] {
            pending_ = false;
            update();
        });
    }

    QList<QToolButton *> hiddenButtons() const
    {
        QList<QToolButton *> hidden;
        for (QAction *a : bar_->actions()) {
            auto *slot = qobject_cast<QWidgetAction *>(a);
            auto *b = slot ? qobject_cast<QToolButton *>(slot->defaultWidget()) : nullptr;
            if (b && slot->isVisible() && b->isHidden())
                hidden << b;
        }
        return hidden;
    }

    void update()
    {
        if (hiddenButtons().isEmpty()) {
            button_->hide();
            return;
        }
        // The bar's own extension button marks the room it left free.
        QRect room(bar_->width() - 14, 0, 12, bar_->height());
        if (auto *extension = bar_->findChild<QToolButton *>(QStringLiteral("qt_toolbar_ext_button"),
                                                             Qt::FindDirectChildrenOnly);
            extension && extension->isVisible())
            room = extension->geometry();
        button_->setGeometry(room);
        button_->show();
        button_->raise();
    }

    void fillMenu(QMenu *menu)
    {
        menu->clear();
        bool separator = false;
        for (QAction *a : bar_->actions()) {
            if (a->isSeparator()) {
                separator = !menu->isEmpty();
                continue;
            }
            auto *slot = qobject_cast<QWidgetAction *>(a);
            auto *b = slot ? qobject_cast<QToolButton *>(slot->defaultWidget()) : nullptr;
            if (!b || !slot->isVisible() || !b->isHidden())
                continue;
            if (separator)
                menu->addSeparator();
            separator = false;
            QAction *item = menu->addAction(b->icon(), b->toolTip());
            item->setObjectName(b->objectName());
            item->setEnabled(b->isEnabled());
            QPointer<QToolButton> target(b);
            connect(item, &QAction::triggered, this, [target] {
                if (!target || !target->isEnabled())
                    return;
                if (QMenu *dropDown = target->menu())
                    dropDown->popup(QCursor::pos());
                else
                    target->click();
            });
        }
    }

    QToolBar *bar_;
    QToolButton *button_;
    QMenu *menu_;
    bool pending_ = false;
};

} // namespace

void TMainForm::applyPaneLayout()
{
    // The local pane keeps its width while there is room; in a small window
    // it gives way before the remote pane gets narrower than this.
    remotePane_->setMinimumWidth(RemotePaneMinimumWidth);
    // The remote list takes what the window gains or loses in height; below
    // its minimum (header and a few rows) the log and the queue give way.
    remoteSplitter_->setStretchFactor(0, 1);
    remoteList_->updateGeometry();

    for (QToolBar *bar : findChildren<QToolBar *>()) {
        if (!bar->findChild<ToolBarOverflow *>(QStringLiteral("ToolBarOverflow"), Qt::FindDirectChildrenOnly))
            new ToolBarOverflow(bar);
    }
}

} // namespace mainwindow
