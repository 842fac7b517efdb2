#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString title = QStringLiteral("BramblewayFTP软件");
    QApplication::setApplicationName(title);
    QMainWindow window;
    window.setWindowTitle(title);
    window.setCentralWidget(new QLabel(QStringLiteral("欢迎您使用 BramblewayFTP软件")));
    window.statusBar()->showMessage(QStringLiteral("欢迎您使用 BramblewayFTP软件"));
    window.resize(800, 600);
    window.show();
    return app.exec();
}
