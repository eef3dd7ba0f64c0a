#include <MainWindow.h>
#include <ViewerStartup.h>

#include <QApplication>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    const auto translators = prepareViewerApplication();

    MainWindow window;
    window.show();
    return application.exec();
}
