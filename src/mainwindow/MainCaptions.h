#pragma once
// The main window's caption tables in both languages: the menu items of the
// main menu and of the pop-up and drop-down menus, the tool-button hints and
// the column captions of the queue list. Items are named as the window's
// controls (objectName).

#include <QString>

#include <span>

namespace mainwindow {

struct CaptionRow
{
    const char *item;
    const char *simplified;
    const char *traditional;

    QString text(bool useSimplified) const
    {
        return QString::fromUtf8(useSimplified ? simplified : traditional);
    }
};

// 127 menu-item captions, in table order.
std::span<const CaptionRow> menuCaptionTable();
// 32 tool-button hints.
std::span<const CaptionRow> toolHintTable();
// 5 column captions of the queue list; item is the column number "0".."4".
std::span<const CaptionRow> queueColumnTable();

// Caption of one item in one language; empty for an unknown item.
QString menuCaption(const char *item, bool useSimplified);
QString toolHint(const char *item, bool useSimplified);

QString applicationTitle();
QString welcomeText(bool useSimplified);

} // namespace mainwindow
