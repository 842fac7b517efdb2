#pragma once
// What the desktop shell tells a file pane about a name: an icon and a type
// name chosen by the extension alone (the file need not exist locally), and
// the one icon and type name that every folder shares. Icons are drawn in
// code and cached per kind; type names follow the local pane's wording.

#include <QIcon>
#include <QString>
#include <QStringView>

namespace ui {

enum class ShellLanguage { Simplified, Traditional, English };

// The extension of a file name without its dot, "" when there is none (a
// leading dot alone, as in ".profile", is no extension).
QStringView FileExtension(QStringView fileName);

// "TXT 文件" / "TXT File"; "文件" / "File" without an extension.
QString ShellFileTypeName(QStringView extension, ShellLanguage language);
// "文件夹" / "文件夾" / "Folder".
QString ShellFolderTypeName(ShellLanguage language);

// 16 and 32 pixel icons. A file icon is chosen by the extension's kind
// (text, image, audio, video, archive, program, document, other).
QIcon ShellFileIcon(QStringView extension);
QIcon ShellFolderIcon();
// The same with a small arrow in the corner, for symbolic links.
QIcon ShellLinkIcon(const QIcon &base);

} // namespace ui
