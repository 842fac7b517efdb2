#pragma once
// The program's command line:
//   bramblewayftp [ADDRESS] [--queue FILE] [--run] [--exists ask|overwrite|resume|skip]
// ADDRESS is an ftp:// address opened as a pasted one is; --queue loads a
// queue file at start-up; --run transfers the queue once logged in and ends
// the program when it is done (status 0 only when every entry was
// transferred); --exists answers the existing-file question for every file
// instead of asking.

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
};

// The options of `arguments` (without the program name); std::nullopt with
// *error set when they cannot be used.
std::optional<CommandLine> ParseCommandLine(const QStringList &arguments, QString *error);

QString CommandLineUsage();

// Applies the options to a created, shown main window. With --run it
// returns the exit status when the run has ended (the event loop runs
// meanwhile); without it, std::nullopt once the address is opened and the
// queue loaded (the caller then runs the event loop).
std::optional<int> StartFromCommandLine(TMainForm &main, const CommandLine &options);

} // namespace mainwindow
