#include "ui/ShellOpen.h"

#include <QDesktopServices>
#include <QUrl>

namespace ui {
namespace {

std::function<bool(const QString &)> &hook()
{
    static std::function<bool(const QString &)> h;
    return h;
}

} // namespace

void SetOpenHook(std::function<bool(const QString &path)> h)
{
    hook() = std::move(h);
}

bool OpenWithDefaultApplication(const QString &path)
{
    if (hook())
        return hook()(path);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace ui
