#include <MainWindow.h>
#include <ViewerArguments.h>
#include <ViewerStartup.h>

#include <site_history/DriverWarnings.h>

#include <QApplication>
#include <QTimer>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    const auto translators = prepareViewerApplication();
    const site_history::QuietDriverWarnings quietDriver;

    MainWindow window;
    window.show();
    // A dump named on the command line (or opened with the program) is shown
    // as if opened from the menu; a site's history as "Обзор объектов…" opens it.
    // From inside the event loop: the window is on the screen at once, and a
    // close during a long open ends the program.
    QTimer::singleShot(0, &window, [&window] {
        window.startWith(parseViewerArguments(QCoreApplication::arguments()));
    });
    return application.exec();
}
