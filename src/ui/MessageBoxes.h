#pragma once
// The program's message boxes: error (OK), information (OK) and
// confirmation (Yes/No), captioned and labelled from the toolkit's string
// table of the current language. Texts conventionally begin with three blanks.

#include <QString>

#include <functional>

class QWidget;

namespace ui {

enum class MessageKind { Error, Information, Confirmation };

void ShowError(QWidget *parent, const QString &text);
void ShowInformation(QWidget *parent, const QString &text);
// True when the user answers "是".
bool Confirm(QWidget *parent, const QString &text);

// Tests and scripted runs answer message boxes here instead of a person:
// the hook gets the kind and text and returns true for Yes/OK. An empty hook
// restores the real boxes.
using MessageBoxHook = std::function<bool(MessageKind, const QString &)>;
void SetMessageBoxHook(MessageBoxHook hook);

} // namespace ui
