#pragma once
// Opening files and folders with the desktop's default application.

#include <QString>

#include <functional>

namespace ui {

// Opens `path` as the desktop opens it on a double click; false when no
// application could be started.
bool OpenWithDefaultApplication(const QString &path);

// Tests replace the desktop here (the hook gets the path and returns the
// result); an empty hook restores it.
void SetOpenHook(std::function<bool(const QString &path)> hook);

} // namespace ui
