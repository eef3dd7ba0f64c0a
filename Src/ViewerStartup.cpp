#include <ViewerStartup.h>

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

QStringList qtTranslationFolders()
{
    return {QCoreApplication::applicationDirPath(),
            QLibraryInfo::location(QLibraryInfo::TranslationsPath)};
}

std::vector<std::unique_ptr<QTranslator>> installQtTranslations(const QStringList& folders)
{
    std::vector<std::unique_ptr<QTranslator>> installed;
    for (const QString& name : {QStringLiteral("qtbase_ru"), QStringLiteral("qt_ru")}) {
        for (const QString& folder : folders) {
            auto translator = std::make_unique<QTranslator>();
            // load() with a folder would also try other names ("qtbase_ru"
            // without ".qm", "qtbase"); only the file itself counts.
            if (translator->load(folder + QLatin1Char('/') + name + QStringLiteral(".qm"))
                && QCoreApplication::installTranslator(translator.get())) {
                installed.push_back(std::move(translator));
                break;
            }
        }
    }
    return installed;
}

std::vector<std::unique_ptr<QTranslator>> prepareViewerApplication()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Quorvel"));
    QCoreApplication::setApplicationName(QStringLiteral("quorvel-archive-viewer"));
    return installQtTranslations();
}
