#include "app/AppCore.h"
#include "gui/MainWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varnholt"));
    QApplication::setApplicationVersion(vh::app::AppCore::AppTitle().section(QLatin1Char(' '), 1));
    // ties the window to its installed desktop entry and icon (the Wayland app id)
    QGuiApplication::setDesktopFileName(QStringLiteral("org.varnholt.Varnholt"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Collects and reviews PunkBuster screenshots of game servers."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption baseFolder(QStringLiteral("base-folder"),
                                        QStringLiteral("Use DIR as the workspace instead of the program's folder."),
                                        QStringLiteral("DIR"));
    parser.addOption(baseFolder);
    parser.process(application);

    vh::app::AppCore core;
    vh::gui::MainWindow window(core);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int screenWidth = screen ? screen->geometry().width() : 0;
    if (!window.Startup(QCoreApplication::applicationFilePath(), parser.value(baseFolder), screenWidth))
        return 1;
    return QApplication::exec();
}
