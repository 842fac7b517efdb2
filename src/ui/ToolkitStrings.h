#pragma once
// The widget toolkit's own texts (window menu, caption buttons, edit menu,
// message-box buttons and captions, file dialogs) in two string tables,
// SimpleChina (Simplified) and MuiltChina (Traditional).

#include <QString>
#include <QStringList>

namespace ui {

enum class StringTable { SimpleChina, MuiltChina };

void SetToolkitStrings(StringTable table);
StringTable ToolkitStrings();

// The entry of the current table; empty for an unknown key.
QString ToolkitString(const char *key);
QString ToolkitString(StringTable table, const char *key);
// Every key of the tables, in table order.
QStringList ToolkitStringKeys();

} // namespace ui
