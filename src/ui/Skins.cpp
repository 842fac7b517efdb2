#include "ui/Skins.h"

#include <QApplication>
#include <QFile>

static void initSkinResources()
{
    Q_INIT_RESOURCE(skins);
}

namespace ui {
namespace {
bool haveSkin = false;
Skin lastSkin = Skin::StoredSkin2;
} // namespace

Skin skinFor(bool narrowScreen, int face)
{
    if (narrowScreen)
        return face == 2 ? Skin::BYStyle : Skin::XFactor;
    return face == 2 ? Skin::StoredSkin2 : Skin::StoredSkin1;
}

QString skinName(Skin skin)
{
    switch (skin) {
    case Skin::XFactor: return QStringLiteral("XFactor");
    case Skin::BYStyle: return QStringLiteral("BYStyle");
    case Skin::StoredSkin1: return QStringLiteral("bsCompressedStoredSkin1");
    case Skin::StoredSkin2: return QStringLiteral("bsCompressedStoredSkin2");
    }
    return {};
}

QString skinStyleSheet(Skin skin)
{
    initSkinResources();
    QFile f(QStringLiteral(":/skins/%1.qss").arg(skinName(skin)));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

void ApplySkin(Skin skin)
{
    if (auto *app = qobject_cast<QApplication *>(QCoreApplication::instance()))
        app->setStyleSheet(skinStyleSheet(skin));
    haveSkin = true;
    lastSkin = skin;
}

bool CurrentSkin(Skin *skin)
{
    if (haveSkin && skin)
        *skin = lastSkin;
    return haveSkin;
}

} // namespace ui
