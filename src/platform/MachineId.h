#pragma once
// A text that identifies this computer and stays the same from run to run.
// Stored user names and passwords are sealed with keys derived from it, so
// copies of the files taken to another computer cannot be opened there.

#include <QByteArray>
#include <QStringList>

namespace platform {

// The systemd / D-Bus machine id, or the host name when neither file exists.
// Never empty.
QByteArray machineIdentity();

// Pure choice behind machineIdentity(), for tests: the trimmed contents of the
// first candidate file that holds text, else `fallback`, else a fixed text.
QByteArray machineIdentityFrom(const QStringList &candidateFiles, const QByteArray &fallback);

} // namespace platform
