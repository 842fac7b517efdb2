#pragma once
// The skinned input dialog (caption, prompt, editable value, OK and Cancel)
// and the check of file names typed into it.

#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace ui {

// Shows the dialog modally; the text on OK, std::nullopt on Cancel.
std::optional<QString> AskText(QWidget *parent, const QString &caption, const QString &prompt,
                               const QString &value);

// Tests and scripted runs answer the dialog here instead of a person: the
// hook gets caption, prompt and value and returns the answer. An empty hook
// restores the real dialog.
using InputHook = std::function<std::optional<QString>(const QString &caption, const QString &prompt,
                                                       const QString &value)>;
void SetInputHook(InputHook hook);

// True when `name` holds one of \ / : * ? " < > |, which no file name may.
bool NameHasForbiddenCharacter(const QString &name);
// The error text of that check, in the current language (ends in CR).
QString ForbiddenNameText();

} // namespace ui
