#pragma once
// The program's command line:
//   bramblewayftp [ADDRESS] [--queue FILE] [--run] [--exists ask|overwrite|resume|skip]
//   bramblewayftp --version | --help
// ADDRESS is an ftp:// address opened as a pasted one is; --queue loads a
// queue file at start-up; --run transfers the queue once logged in and ends
// the program when it is done (status 0 only when every entry was
// transferred); --exists answers the existing-file question for every file
// instead of asking.

#include "sites/ConnectRequest.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace mainwindow {

class TMainForm;

struct CommandLine
{
    QString address;
    QString queueFile;
    bool run = false;
    // "Overwrite", "Resume" or "Cancel"; empty: ask with the dialog.
    QString existsAnswer;
    bool help = false;
    bool version = false;
};

// The options of `arguments` (without the program name); std::nullopt with
// *error set when they cannot be used.
std::optional<CommandLine> ParseCommandLine(const QStringList &arguments, QString *error);

QString CommandLineUsage();

// "bramblewayftp" and the version of this build.
QString VersionText();

// Handles what needs no window: --help and --version print to standard
// output and give 0; options that cannot be used print the reason and the
// usage to standard error and give 2. std::nullopt: the program starts.
// Needs no application object (so it works without a display).
std::optional<int> AnswerWithoutWindow(const QStringList &arguments);

// The connection an ADDRESS asks for. The address is split as a pasted one
// is (blanks around it ignored); then each part is percent-decoded, since
// browsers and file managers hand over encoded addresses: "%" and two hex
// digits become a byte, the bytes read as UTF-8 (a part whose bytes are not
// UTF-8, or whose "%" starts no escape, stays as written). std::nullopt when
// the address is not usable, also when a decoded part holds a control
// character.
std::optional<sites::ConnectRequest> AddressConnectRequest(const QString &address);

// Applies the options to a created, shown main window. With --run it
// returns the exit status when the run has ended (the event loop runs
// meanwhile); without it, std::nullopt once the address is opened and the
// queue loaded (the caller then runs the event loop).
std::optional<int> StartFromCommandLine(TMainForm &main, const CommandLine &options);

} // namespace mainwindow
