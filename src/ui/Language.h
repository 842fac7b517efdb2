#pragma once
// The interface language: Simplified (true) or Traditional Chinese. The main
// window owns the switch; every window reads it when it sets its texts.

#include <QString>

namespace ui {

bool UseSimplified();
void SetUseSimplified(bool simplified);

// The text of the current language, from UTF-8 literals.
inline QString pick(const char *simplified, const char *traditional)
{
    return QString::fromUtf8(UseSimplified() ? simplified : traditional);
}

} // namespace ui
