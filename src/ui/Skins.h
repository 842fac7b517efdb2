#pragma once
// The window skins: two per screen class. Small screens (at most 850 pixels
// wide) use XFactor and BYStyle, wider screens bsCompressedStoredSkin1 and
// bsCompressedStoredSkin2. A skin is a style sheet set on the application,
// so every window of the program shares it.

#include <QString>

namespace ui {

enum class Skin { XFactor, BYStyle, StoredSkin1, StoredSkin2 };

// Skin one or two (`face`) of the screen class; `face` must be 1 or 2.
Skin skinFor(bool narrowScreen, int face);
QString skinName(Skin skin);
QString skinStyleSheet(Skin skin);

// Sets the skin on the application (needs a QApplication).
void ApplySkin(Skin skin);
// The skin last applied, if any.
bool CurrentSkin(Skin *skin);

} // namespace ui
