#pragma once
// Tool-bar and window icons, drawn in code so that they look the same on
// every system and on every skin (filled shapes with dark outlines read well
// on light and on dark tool bars).

#include <QIcon>

namespace ui {

enum class Glyph {
    Rename, Delete, NewFolder, ViewMenu, ViewFolder, Cut, Copy, Paste, Upload, Download, Refresh,
    LargeIcons, SmallIcons, List, Report, GoUp, Connect, Disconnect, Reconnect, Stop, Move, Folder,
    Application,
};

QIcon glyphIcon(Glyph glyph);

// The program's own icon (the one of its desktop entry), in all its sizes.
QIcon applicationIcon();

} // namespace ui
