#include <MainWindow.h>
#include <ViewerStartup.h>

#include <site_history/DriverWarnings.h>

#include <QApplication>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    const auto translators = prepareViewerApplication();
    const site_history::QuietDriverWarnings quietDriver;

    MainWindow window;
    window.show();
    // A dump named on the command line (or opened with the program) is shown
    // as if opened from the menu.
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1)
        window.openDumpFile(arguments.at(1));
    return application.exec();
}
