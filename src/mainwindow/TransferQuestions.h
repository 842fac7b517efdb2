#pragma once
// The questions asked before an upload or a download of a selection (the
// commands and the drops share them): the name of a single folder or file,
// otherwise the count, in the current interface language.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace mainwindow {

// `folders` and `files` are local paths; a single item is named by its last
// component.
QString UploadQuestion(const QStringList &folders, const QStringList &files);
// `folders` and `files` are remote names (server bytes).
QString DownloadQuestion(const QList<QByteArray> &folders, const QList<QByteArray> &files);

} // namespace mainwindow
