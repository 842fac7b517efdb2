#include "services/ContactLink.h"

#include <QDesktopServices>
#include <QMouseEvent>

namespace services {
namespace {

std::function<bool(const QUrl &)> &hook()
{
    static std::function<bool(const QUrl &)> h;
    return h;
}

} // namespace

void SetLinkOpenHook(std::function<bool(const QUrl &address)> h)
{
    hook() = std::move(h);
}

TContactLink::TContactLink(const QString &text, const QUrl &address, QWidget *parent)
    : QLabel(text, parent), address_(address)
{
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    setToolTip(address.toDisplayString());
    setFocusPolicy(Qt::NoFocus);
    // The link colour of the palette, so it reads as a link in every skin.
    setForegroundRole(QPalette::Link);
}

bool TContactLink::Open() const
{
    if (hook())
        return hook()(address_);
    return QDesktopServices::openUrl(address_);
}

void TContactLink::setUnderlined(bool on)
{
    QFont f = font();
    if (f.underline() == on)
        return;
    f.setUnderline(on);
    setFont(f);
}

void TContactLink::showEvent(QShowEvent *event)
{
    // On a dark window the palette's link blue does not read: a light blue
    // instead.
    const QWidget *around = parentWidget() ? parentWidget() : this;
    const bool dark = around->palette().color(QPalette::Window).lightness() < 128;
    const QString sheet = dark ? QStringLiteral("color: #8cc4ff;") : QString();
    if (styleSheet() != sheet)
        setStyleSheet(sheet);
    QLabel::showEvent(event);
}

void TContactLink::enterEvent(QEnterEvent *event)
{
    setUnderlined(true);
    QLabel::enterEvent(event);
}

void TContactLink::leaveEvent(QEvent *event)
{
    setUnderlined(false);
    QLabel::leaveEvent(event);
}

void TContactLink::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Open();
    QLabel::mouseReleaseEvent(event);
}

TContactLink *MakeWebPageLink(QWidget *parent)
{
    auto *link = new TContactLink(QLatin1String(MakerWebPage), QUrl(QLatin1String(MakerWebPage)), parent);
    link->setObjectName(QStringLiteral("WebLink"));
    return link;
}

TContactLink *MakeMailLink(QWidget *parent)
{
    auto *link = new TContactLink(QLatin1String(MakerMail), QUrl(QLatin1String("mailto:") + QLatin1String(MakerMail)),
                                  parent);
    link->setObjectName(QStringLiteral("MailLink"));
    return link;
}

} // namespace services
