#include "mainwindow/CommandLine.h"
#include "mainwindow/Startup.h"

#include <QApplication>
#include <QStyleFactory>

int main(int argc, char **argv)
{
    // --version, --help and unusable options are answered before the
    // application object exists, so they work without a display.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (const std::optional<int> status = mainwindow::AnswerWithoutWindow(arguments))
        return *status;

    QApplication app(argc, argv);
    if (QStyle *fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
    return mainwindow::RunProgram();
}
