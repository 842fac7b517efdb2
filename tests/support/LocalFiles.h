#pragma once
// Reading and writing local files in tests.

#include <QByteArray>
#include <QString>

namespace testsupport {

// Writes `bytes` to `path`, replacing what was there and creating the folders
// on the way. A file that cannot be written fails the running test (and
// returns false).
bool writeFile(const QString &path, const QByteArray &bytes);

// The file's bytes; "<missing>" when it cannot be read, so that a missing
// file never passes for an empty one.
QByteArray readFile(const QString &path);

// `size` bytes of test data, the same for the same seed.
QByteArray randomBytes(qsizetype size, quint32 seed);

} // namespace testsupport
