#pragma once
// The update check's rules without the window: the version description
// (version.ini), the choice of a download address, the checks a downloaded
// program file must pass before it may replace the running one, and the
// script that replaces it after the program has ended.
//
// version.ini:
//   [information]  version=<text>  FileSize=<bytes>  SHA256=<64 hex digits>
//   [DownLoadPath] <any key>=<address>  (one or more)

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

class QRandomGenerator;

namespace services {

// The version of this build: a published version that differs from it, as a
// whole case-sensitive text, is new.
inline constexpr const char *ProgramVersion = "3.6";
inline constexpr const char *VersionFileName = "version.ini";
// A version description larger than this is not one.
inline constexpr qint64 MaxDescriptionBytes = 64 * 1024;

struct VersionDescription
{
    QString version;
    qint64 fileSize = -1;   // -1: missing or not a number
    QByteArray sha256;      // 32 bytes; empty when the key is missing
    bool sha256Malformed = false;
    QStringList addresses;  // the values of [DownLoadPath], in file order
};

// Reads version.ini; false when the file is missing or empty.
bool ReadVersionDescription(const QString &path, VersionDescription *description);

bool IsNewVersion(const VersionDescription &description);

// What stands in the way of downloading the published file.
enum class DescriptionProblem {
    None,
    NoFileSize,       // FileSize missing, not a number, or not above 0
    NoAddress,        // no usable http or https address in [DownLoadPath]
    BadChecksum,      // SHA256 present but not 64 hexadecimal digits
};
DescriptionProblem CheckDescription(const VersionDescription &description, const QUrl &serviceBase);

// The usable download addresses: absolute http and https addresses, and
// addresses relative to the update service.
QList<QUrl> DownloadAddresses(const VersionDescription &description, const QUrl &serviceBase);

// One of the addresses, uniformly at random; empty for none.
QUrl PickDownloadAddress(const QList<QUrl> &addresses, QRandomGenerator &random);

// A download needs the SHA256 key unless both the version description and
// the file came over https: over plain http neither can be trusted as sent.
bool ChecksumRequired(const QUrl &descriptionSource, const QUrl &source);

// "<program>~": where the new program file is downloaded.
QString DownloadTargetFor(const QString &programFile);
// "<folder>/<program name without extension>.sh": the replacement script.
QString ScriptPathFor(const QString &programFile);

// Whether the program file may be replaced: it exists and can be written,
// and so can its folder (the new file is put in place by a rename there).
bool CanReplaceProgram(const QString &programFile);

enum class DownloadVerdict {
    Ok,
    SizeWrong,        // size differs from FileSize (also: file missing)
    ChecksumWrong,    // SHA-256 differs from SHA256
    ChecksumMissing,  // no SHA256 where one is required
    NotExecutable,    // not a program of this platform
};

// Checks the downloaded file in this order: size, checksum, executable.
// `reference` is a program file of this platform (the running program) whose
// file format, word size, byte order and machine the download must share.
DownloadVerdict VerifyDownload(const QString &downloadPath, const VersionDescription &description,
                               bool checksumRequired, const QString &reference);

// Whether `candidate` is an ELF executable or shared object for the same
// class, byte order and machine as `reference`.
bool IsExecutableFor(const QString &candidate, const QString &reference);

// The SHA-256 of a file; empty when it cannot be read.
QByteArray FileSha256(const QString &path);

// The replacement script (POSIX shell): waits until process `pid` has ended,
// renames `download` over `program` (the old file stays in place until the
// new one takes its name; when the rename fails the old program stays),
// starts `program` in `program`'s folder, and deletes itself (`script`).
QByteArray ReplacementScript(const QString &program, const QString &download, const QString &script, qint64 pid);

// Writes the script (owner-only permissions); false when it cannot be written.
bool WriteReplacementScript(const QString &script, const QByteArray &text);

// Starts the script detached from this program with /bin/sh; false when it
// could not be started.
bool StartReplacementScript(const QString &script);

// The text in single quotes for the shell, whatever it contains.
QByteArray ShellQuote(const QByteArray &text);

} // namespace services
