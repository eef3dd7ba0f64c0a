#include <MainWindow.h>

#include <QApplication>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QTranslator translator;
    // Qt's own texts (standard buttons, file dialog) in Russian; without the
    // file they stay in English.
    translator.load(QCoreApplication::applicationDirPath() + QStringLiteral("/qt_ru.qm"));
    application.installTranslator(&translator);

    MainWindow window;
    window.show();
    return application.exec();
}
